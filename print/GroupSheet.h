// The game master's group sheet: a band of characters on a few A4 pages, a
// block each, in the order given, every character's .pg carried inside the
// PDF as an embedded file, as the single printable sheet carries its own.
#pragma once

#include <QByteArray>
#include <memory>
#include <string>

#include "print/PrintableSheet.h"

// One group sheet, built as its characters come: of each, only what the
// block shows (the core's sheet texts) and its .pg bytes are kept, a few
// kilobytes, so a band of thousands fits; the pages are drawn at the end,
// when their number is known.
class CGroupSheet {
 public:
  // A group sheet of characters made on the rules of `rulesPath` (the first
  // page names its file).
  explicit CGroupSheet(std::string rulesPath);
  ~CGroupSheet();
  CGroupSheet(const CGroupSheet&) = delete;
  CGroupSheet& operator=(const CGroupSheet&) = delete;

  // Adds the character of `content` as the next block (the first page names
  // the constructor's rules file; content.rulesPath is not read); its .pg is
  // carried as `sheetName` (a file name without folder, its bytes as the
  // file system gives them: read as UTF-8 when they are UTF-8, as
  // Windows-1252 otherwise), made unique within the PDF without regard to
  // case: a second "x.pg" becomes "x (2).pg", a third "X.pg" "X (3).pg".
  void Add(const SheetContent& content, const std::string& sheetName);
  int Count() const;

  // The whole PDF, "pagina N di M" on every page; empty on failure or when
  // no character was added.
  QByteArray Pdf();

 private:
  struct Impl;
  std::unique_ptr<Impl> m_impl;
};
