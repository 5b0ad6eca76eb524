#pragma once
// "打印分班名单": the class lists on the system's printers or as a PDF file.
// The window offers the columns to print beside number, name and gender (no
// scores unless ticked), one class or all, and the summary of every class's
// averages; the core lays out the pages and this window paints them with
// Qt's print support.

#include <QDialog>
#include <QString>
#include <vector>

#include "model/printed_page.h"

class QCheckBox;
class QComboBox;
class QPagedPaintDevice;
class QPushButton;

namespace tessaly::ui::division {

class DivisionContext;

class PrintWindow : public QDialog {
  Q_OBJECT
 public:
  explicit PrintWindow(DivisionContext& ctx, QWidget* parent = nullptr);

  // The pages as the boxes choose them; empty (after a warning) when there
  // is nothing to print.
  std::vector<model::PrintedPage> Pages();
  // "打印...": the system's print dialog, then the printer it chose.
  void Print();
  // "输出为PDF...": a file chosen in the save dialog, then WritePdf.
  void SavePdf();
  // Writes the pages as a PDF file; false after a message on failure.
  bool WritePdf(const QString& path);

  QComboBox* classBox() const { return class_; }
  const std::vector<QCheckBox*>& columnBoxes() const { return columns_; }
  QCheckBox* summaryBox() const { return summary_; }
  QPushButton* printButton() const { return print_; }
  QPushButton* pdfButton() const { return pdf_; }

 private:
  DivisionContext& ctx_;
  QComboBox* class_;
  std::vector<QCheckBox*> columns_;
  QCheckBox* summary_;
  QPushButton* print_;
  QPushButton* pdf_;
};

// Paints printed pages on a paged device (a printer or a PDF writer) set to
// A4; false when the device could not be painted on.
bool PaintPages(const std::vector<model::PrintedPage>& pages, QPagedPaintDevice& device);

}  // namespace tessaly::ui::division
