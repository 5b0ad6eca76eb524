#include "cli/commands.h"

namespace tessaly::cli {
namespace {

// optimise runs the three page modes, or the deep optimiser with --deep.
int RunOptimiseOrDeep(Args& args) {
  Args probe = args;
  return probe.Flag("--deep") ? RunDeepOptimise(args) : RunOptimise(args);
}

}  // namespace

const std::vector<Command>& AllCommands() {
  static const std::vector<Command> commands = {
      {"import", "a new division from score tables (pasted text, .xlsx, .xls, .csv)",
       "usage: tessaly-cli import [--combine N] [--name NAME]... [--main K] [--weight K=P]...\n"
       "                          [--yes] [--time HH:MM:SS] [--sheet NAME|N] [--heading-row N]\n"
       "                          [--subjects A,B,...] [--balance A,B,...] [--as-is]\n"
       "                          FILE... -o OUT.fb\n"
       ".txt and .tsv files are pasted table text, .xlsx, .xls and .csv workbooks. Several\n"
       "files need --combine N (N tables, 2 to 20); --name gives the files' table names in\n"
       "order; --main K makes the K-th table the main table, --weight K=P gives it P percent.\n"
       "--time fixes the time of day used in generated table names.\n"
       "The heading row is the first of the top 30 rows holding 学号, 姓名 and 性别 (rows\n"
       "above it are left out; --heading-row N fixes it). A table with a KEMU heading is read\n"
       "by its headings alone. Without KEMU headings, subjects are recognised by name\n"
       "(语文, 数学(150) ...) or by cells that are all numbers (not 总分, 名次, 考号 ...);\n"
       "--subjects fixes the subject list exactly. Text columns with a few values are only\n"
       "named as possible balance columns: --balance A,B makes those (only those) balance\n"
       "columns; JUNHENG headings are balance columns as written. --sheet reads a sheet by\n"
       "name or number (1 = first; default the saved active sheet, or the first sheet with a\n"
       "heading row). --as-is reads row 1 with the headings' own roles. stderr tells which\n"
       "rows were left out and which columns became subjects and balance columns.",
       RunImport},
      {"info", "what a division file holds: mode, tables, range sets, rule lists",
       "usage: tessaly-cli info FILE.fb", RunInfo},
      {"table", "a table of a division file as table text",
       "usage: tessaly-cli table FILE.fb [--slot N]\n"
       "       tessaly-cli table FILE.fb VIEW [VIEW OPTIONS]\n"
       "Without VIEW: the score-table view of slot N (default 0), preset classes shown.\n"
       "VIEW names a result view; an unknown name lists the views.",
       RunTable},
      {"resave", "read a division file and write it back", "usage: tessaly-cli resave IN.fb OUT.fb",
       RunResave},
      {"rules", "set the rules of a division file: the rules pages' events, or raw rule rows",
       "usage: tessaly-cli rules IN.fb EVENT [OPTIONS] -o OUT.fb\n"
       "Each EVENT enters its rules page as the desktop program does (the grids are built\n"
       "from the file's lists), runs one event with the page's checks and writes OUT.fb.\n"
       "Warnings are printed on stderr, one per line; a refused add prints its first\n"
       "failing check, exits 1 and writes nothing.\n"
       "\n"
       "Page 分班规则制定1(必须) (leaving it stores weights, sound pairs and ranges):\n"
       "  add-range --type 按学号|按名次 --from S --to E --count N --ids IDS [--remark R]\n"
       "        adds a class-type range (按学号: S and E are student numbers of the main table)\n"
       "  delete-range ROW               deletes grid row ROW (1 = the first range)\n"
       "  weights [--weight SLOT=P]... [--main SLOT] [--reference SLOT]\n"
       "        combine mode: types P into the weight cell of table SLOT, chooses the roles\n"
       "        (--main before --reference); the 主表 and 100% warnings are printed on\n"
       "        leaving, the values stored as they are; a weight above 100 is refused\n"
       "  sounds [--initial c-ch|z-zh|s-sh|h-f|r-l]... [--final "
       "an-ang|in-ing|en-eng|uan-ang|ian-iang]...\n"
       "        ticks exactly the sound boxes given\n"
       "Page 分班规则制定2(可选) (entering it appends the default balance items):\n"
       "  add-band --range KEY (--all-subjects | --total | --subject NAME...)\n"
       "           (--lower \"大于 80\" --upper \"小于等于 90\" | --series START END STEP)\n"
       "           [--level \"3 级\"]\n"
       "        KEY is a range key (按名次|1-187-|); the operators are 大于/大于等于 and\n"
       "        小于/小于等于; --series is the one-key setting; the level is 1 to 9 or the\n"
       "        level box's text (default \"3 级\"); a condition already present is skipped\n"
       "  delete-bands FIRST [LAST]      deletes the conditions of grid rows FIRST to LAST\n"
       "  band-level ROW LEVEL           sets the level of the condition in grid row ROW\n"
       "  items                          prints the balance items grid as table text\n"
       "  item-level ITEM LEVEL          sets the level of a balance item (性别, 数学, 总分 ...)\n"
       "  apart NUMBER NUMBER... [--note T]     keeps these students in different classes\n"
       "  together NUMBER NUMBER... [--note T]  keeps these students in one class\n"
       "  groups                         prints the groups, one a line: row, kind, students,\n"
       "                                 note (and 当前分班未满足 when the division breaks it)\n"
       "  delete-group ROW               deletes group ROW (1 = the first)\n"
       "Page 人数统计 (entering it copies the band conditions, without their level, while\n"
       "there are no headcount conditions):\n"
       "  add-count --range KEY (--all-subjects | --total | --subject NAME...)\n"
       "            (--lower \"大于 80\" --upper \"小于等于 90\" | --series START END STEP)\n"
       "        adds headcount conditions, as add-band but without a level\n"
       "  delete-counts FIRST [LAST]     deletes the headcount conditions of grid rows FIRST\n"
       "                                 to LAST\n"
       "Values are read as the input boxes receive keys: the class count, ranks, bounds and\n"
       "series keep only their digits (\"3a\" is 3, \"2.5\" is 25), the class ids digits and\n"
       "\",\", a weight digits and \"%\".\n"
       "\n"
       "Raw rows: tessaly-cli rules IN.fb [--keep] [--range ROW]... [--band ROW]...\n"
       "                         [--balance ROW]... [--count ROW]... [--initial PAIR]...\n"
       "                         [--final PAIR]... -o OUT.fb\n"
       "Each option given replaces its list (--keep appends instead; a row already present\n"
       "is not added twice). Rows are written as the rules pages store them:\n"
       "  --range   按名次|1-100-|2|1,2,|remark|   (type, START-END-, class count, ids, remark)\n"
       "  --band    按名次|1-100-|$数学$大于等于 60 且小于 70$5 级$\n"
       "  --balance 性别|4 级|        --count 按名次|1-100-|$总分$大于 600$\n"
       "  --initial c-ch | z-zh | s-sh | h-f | r-l\n"
       "  --final   an-ang | in-ing | en-eng | uan-ang | ian-iang",
       RunRules},
      {"divide", "divide the students of a division file into classes (开始分班)",
       "usage: tessaly-cli divide IN.fb [--seed N] -o OUT.fb\n"
       "Combines the tables, builds the range sets, places every student and balances the\n"
       "class average totals; prints the score and writes the divided file. --seed N fixes\n"
       "the coin that settles exact ties, so the division repeats.",
       RunDivide},
      {"balance", "narrow the gaps of class averages within a control score",
       "usage: tessaly-cli balance IN.fb --total X [--range KEY] -o OUT.fb\n"
       "       tessaly-cli balance IN.fb --subject NAME X [--range KEY] -o OUT.fb\n"
       "Exchanges students between the classes of a range until the highest and lowest\n"
       "average total (or average of subject NAME) lie within X; KEY is a range key such\n"
       "as 按名次|1-100-| (default: every range). Prints the new score.",
       RunBalance},
      {"transfer", "move one student into another class (开始调班)",
       "usage: tessaly-cli transfer IN.fb --number N --name NAME --to CLASS\n"
       "                            [--backfill [--limit L]] [--yes] -o OUT.fb\n"
       "Moves the student and pins him to CLASS. --backfill sends back the best-matching\n"
       "student of CLASS whose total differs by at most L (default 20). A move that breaks\n"
       "a keep-apart or keep-together group is refused unless --yes. Prints the score.",
       RunTransfer},
      {"optimise", "improve a division by exchanges between classes (优化分班结果)",
       "usage: tessaly-cli optimise IN.fb [--mode 0|1|2] -o OUT.fb\n"
       "       tessaly-cli optimise IN.fb --deep [--seconds S] [--seed N] [--report] -o OUT.fb\n"
       "One run of the optimiser: per range at most ten passes, each at most one exchange of\n"
       "two students (totals less than 30 apart, nobody pinned) between the class furthest\n"
       "from its headcount expectations and its best complement. --mode 0 优化平均分 (better\n"
       "averages, no class's headcounts worse), 1 优化均衡人数 (default: better headcounts,\n"
       "averages no worse), 2 综合因素优化 (better sum of both). Prints the messages and the\n"
       "score. --deep (深度优化) evens out every class of every range within the rules in about\n"
       "S seconds (default 2, up to 6 for more than 3,000 students); more time never gives a\n"
       "worse result and usually a better one, and equal seeds N and budgets give equal\n"
       "results. --report prints the measure of every range before and after, and what the\n"
       "final stage on the widest subjects priced and moved.",
       RunOptimiseOrDeep},
      {"batch", "move a list of students, as copied from a spreadsheet (批量调整)",
       "usage: tessaly-cli batch IN.fb MOVES [--no-backfill] [--limit L] [--yes] -o OUT.fb\n"
       "MOVES (a file, - for stdin; UTF-8 or GB18030) holds tab-separated rows 学号, 姓名,\n"
       "转入班级 (3, 3班 and 3 班 all mean class 3), pasted into the batch grid at its first\n"
       "row. Every complete row moves its student and pins him; with back-fill (the\n"
       "default) the best-matching student of the target class whose total differs by at\n"
       "most L (default 20) comes back. A row that breaks a keep-apart or keep-together\n"
       "group is left out unless --yes. Prints the messages, the grid with the back-filled\n"
       "students in its last column, and the score.",
       RunBatch},
      {"query", "find students of a division (查询)",
       "usage: tessaly-cli query FILE.fb (--initials T | --name T | --number T\n"
       "                                  | --class \"3 班\" | --all)\n"
       "--initials: T begins the initials of the name's pinyin (zw finds 张伟); --name: the\n"
       "name contains T; --number: the student number contains T; --class: the students of\n"
       "that class; --all: everyone. Rows in range order, then by class, then by total.",
       RunQuery},
      {"export", "the result tables as an .xlsx workbook (保存所有数据到Excel)",
       "usage: tessaly-cli export FILE.fb [--class K] [--clipboard FILE] -o OUT.xlsx\n"
       "The first sheet holds the all-data text (table FILE.fb all) cell by cell, numbers as\n"
       "numbers; then a printable roster sheet per class and the sheet 平均分图 of class\n"
       "average charts. --class K puts class K's roster first (default: all students);\n"
       "--clipboard FILE also writes the all-data text there (- for standard output).",
       RunExport},
      {"versions", "versions (方案) of a division: list, save, restore, delete, compare",
       "usage: tessaly-cli versions FILE.fb\n"
       "       tessaly-cli versions FILE.fb save NAME [--time T] [--yes] -o OUT.fb\n"
       "       tessaly-cli versions FILE.fb restore NAME -o OUT.fb\n"
       "       tessaly-cli versions FILE.fb delete NAME -o OUT.fb\n"
       "       tessaly-cli versions FILE.fb compare NAME...\n"
       "Without an action: the versions kept, one per line (name, time, score). save keeps\n"
       "the classes and pins of the current division as version NAME (--time stamps it,\n"
       "default the local time; a name already kept is replaced only with --yes); restore\n"
       "makes version NAME the current division; delete removes it. compare prints the\n"
       "current division and the versions side by side: score, per range the spread of the\n"
       "average total, the widest subject and headcount spreads, and the number of students\n"
       "placed differently from the current division. Unknown names write nothing.",
       RunVersions},
      {"print", "the class lists as a PDF to print (打印分班名单)",
       "usage: tessaly-cli print FILE.fb [--class K] [--column HEADING]... [--no-summary]\n"
       "                         -o LISTS.pdf\n"
       "Every class from a new page: the table name, the class, its size, boys and girls,\n"
       "then its students in number order with number, name and gender; --column adds a\n"
       "column (总分, a subject, a balance or other column; no scores by default). Page\n"
       "numbers at the foot; a last page sums up every class's averages (not with --class\n"
       "or --no-summary). The Chinese font is embedded.",
       RunPrint},
      {"pinyin", "pinyin or sound key of texts",
       "usage: tessaly-cli pinyin [--flags F] [--max M] TEXT...\n"
       "       tessaly-cli pinyin --key [--initial c-ch]... [--final an-ang]... TEXT...\n"
       "F adds 1 (whole syllables), 2 (\"?\" for characters without one), 4 (keep other\n"
       "characters); default 1. M is the byte limit, default 255.",
       RunPinyin},
  };
  return commands;
}

}  // namespace tessaly::cli
