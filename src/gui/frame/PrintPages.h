#pragma once
// What 打印 puts on paper, built without any widget: the shown message (its header strip and its
// stored content) or the list's current page as a table with the list's columns. Printed through
// a text document that loads nothing: a stored page's images and styles stay off the paper rather
// than being fetched from anywhere.
#include <QString>
#include <vector>

class QAbstractItemModel;
class QPrinter;
struct MessageHeaderTexts;

// The header's texts above the stored content (itself HTML).
QString MessagePrintHtml(const MessageHeaderTexts& header, const QString& contentHtml);
// The given columns of every row, with the header texts as the table's head.
QString TablePrintHtml(const QAbstractItemModel& model, const std::vector<int>& columns);
// Lays the HTML out on the printer's pages (a PDF file when the printer writes one).
void PrintHtml(const QString& html, QPrinter& printer);
