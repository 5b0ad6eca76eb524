// The desktop program's tests, one Qt Test object per page group.

#include <QApplication>

int RunImportPageTests(int argc, char** argv);
int RunRulesPageTests(int argc, char** argv);

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  int failed = RunImportPageTests(argc, argv);
  failed += RunRulesPageTests(argc, argv);
  return failed;
}
