#include "app/ChangeView.h"

#include "util/TextEncoding.h"
#include "util/UiText.h"

namespace {

constexpr const char* kPageTitle = WENDAR_TR_NOOP("ChangeView", "网页内容的变化");
constexpr const char* kFirstCopyNote = WENDAR_TR_NOOP("ChangeView", "这是该网页的第一份副本，下面是它的全部内容。");
constexpr const char* kNoChangeNote = WENDAR_TR_NOOP("ChangeView", "除了空白和排除的范围以外，没有变化。");
constexpr const char* kEntriesTitle = WENDAR_TR_NOOP("ChangeView", "新的或者变化了的文件");
constexpr const char* kRowTitle = WENDAR_TR_NOOP("ChangeView", "新的数据");
// Added text green and underlined, removed text red and struck through; readable without colour.
constexpr const char* kStyle =
    "<style>body{font-family:sans-serif;line-height:1.6}ins.added{background:#d4f7d4;color:#05400a;"
    "text-decoration:underline}del.removed{background:#fbd5d5;color:#6b0d0d;text-decoration:line-through}"
    "p.note{color:#555}</style>";

const char* Title(ChangeView::Kind kind)
{
    switch (kind) {
    case ChangeView::Kind::Page:
        return kPageTitle;
    case ChangeView::Kind::Entries:
        return kEntriesTitle;
    case ChangeView::Kind::Row:
        break;
    }
    return kRowTitle;
}

} // namespace

std::string ChangeViewHtml(const ChangeView& view)
{
    std::string html = "<!DOCTYPE html><html><head><meta charset=\"utf-8\">" + std::string(kStyle) + "</head><body>";
    html += "<h3>" + HtmlEscape(UiText("ChangeView", Title(view.kind))) + "</h3>";
    if (view.kind == ChangeView::Kind::Page && !view.hasPrevious) {
        html += "<p class=\"note\">" + HtmlEscape(UiText("ChangeView", kFirstCopyNote)) + "</p>";
    } else if (view.kind == ChangeView::Kind::Page && !HasChanges(view.pieces)) {
        html += "<p class=\"note\">" + HtmlEscape(UiText("ChangeView", kNoChangeNote)) + "</p>";
    }
    return html + "<div>" + DiffHtml(view.pieces) + "</div></body></html>";
}

std::vector<std::string> ChangeViewLines(const ChangeView& view)
{
    std::vector<std::string> lines = DiffLines(view.pieces);
    if (lines.empty()) {
        lines.push_back(UiText("ChangeView", kNoChangeNote));
    }
    return lines;
}
