#include "gui/list/CMessageListModel.h"

#include "gui/list/ListImages.h"
#include "store/MessageListInfo.h"
#include "util/TextEncoding.h"

#include <QCoreApplication>
#include <numeric>

namespace {

constexpr std::array<const char*, CMessageListModel::kColumnCount> kHeaders = {
    "",
    QT_TRANSLATE_NOOP("CMessageListModel", "类型"),
    QT_TRANSLATE_NOOP("CMessageListModel", "日期时间"),
    QT_TRANSLATE_NOOP("CMessageListModel", "发送人"),
    "",
    QT_TRANSLATE_NOOP("CMessageListModel", "主题"),
    QT_TRANSLATE_NOOP("CMessageListModel", "内容"),
    QT_TRANSLATE_NOOP("CMessageListModel", "接受人"),
    QT_TRANSLATE_NOOP("CMessageListModel", "摘要...")};
// What a reader of the screen hears for the two image columns.
constexpr const char* kStatusColumnName = QT_TRANSLATE_NOOP("CMessageListModel", "状态");
constexpr const char* kMarkColumnName = QT_TRANSLATE_NOOP("CMessageListModel", "标记");
constexpr const char* kUnreadName = QT_TRANSLATE_NOOP("CMessageListModel", "未读");
constexpr const char* kReadName = QT_TRANSLATE_NOOP("CMessageListModel", "已读");

constexpr int kRowImageWidth = 16;
constexpr int kRowImageHeight = 14;
constexpr int kHeaderImageSize = 14;

// The images, drawn when first shown: most headers' images show only once the list is sorted.
constexpr std::array<const char*, 4> kRowImageFiles = {":/list/row-unread.svg", ":/list/row-read.svg",
                                                       ":/list/mark-unread.svg", ":/list/mark-read.svg"};
constexpr std::array<const char*, 8> kHeaderImageFiles = {":/list/header-ascending.svg",
                                                          ":/list/header-descending.svg",
                                                          ":/list/header-status.svg",
                                                          ":/list/header-status-ascending.svg",
                                                          ":/list/header-status-descending.svg",
                                                          ":/list/header-mark-ascending.svg",
                                                          ":/list/header-mark-descending.svg",
                                                          ":/list/header-mark.svg"};

QString Text(const std::string& text)
{
    return QString::fromStdString(DisplayText(text));
}

} // namespace

CMessageListModel::CMessageListModel(std::vector<MessageListInfo>& records, QObject* parent)
    : QAbstractTableModel(parent), m_records(records)
{
    m_headerImages.fill(kNoImage);
    m_headerImages[kStatusColumn] = kStatusUnsorted;
    m_headerImages[kMarkColumn] = kMarkUnsorted;
    m_order.resize(m_records.size());
    std::iota(m_order.begin(), m_order.end(), 0);
}

int CMessageListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_order.size());
}

int CMessageListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant CMessageListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= kColumnCount) {
        return {};
    }
    const MessageListInfo& record = m_records[static_cast<size_t>(m_order[static_cast<size_t>(index.row())])];
    const bool unread = record.status < 1;
    const int column = index.column();
    switch (role) {
    case Qt::DisplayRole:
        switch (column) {
        case 1:
            return Text(record.MessageTypeName);
        case 2:
            return Text(record.RecieveDate);
        case 3:
            return Text(record.SourceFromName);
        case 5:
            return Text(record.SourceInfo);
        case 7:
            return Text(record.SourceToName);
        default:
            return {};
        }
    case Qt::DecorationRole:
        if (column == kStatusColumn) {
            return RowPixmap(unread ? 0 : 1);
        }
        if (column == kMarkColumn) {
            return RowPixmap(unread ? 2 : 3);
        }
        return {};
    case kImageRole:
        if (column == kStatusColumn) {
            return unread ? kRowUnread : kRowRead;
        }
        if (column == kMarkColumn) {
            return unread ? kMarkUnread : kMarkRead;
        }
        return kNoImage;
    case Qt::AccessibleTextRole:
        if (column == kStatusColumn || column == kMarkColumn) {
            return tr(unread ? kUnreadName : kReadName);
        }
        return data(index, Qt::DisplayRole);
    case Qt::TextAlignmentRole:
        return column == 6 ? int(Qt::AlignCenter) : int(Qt::AlignLeft | Qt::AlignVCenter);
    case kIdRole:
        return record.ID;
    default:
        return {};
    }
}

QVariant CMessageListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= kColumnCount) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    const int image = m_headerImages[static_cast<size_t>(section)];
    switch (role) {
    case Qt::DisplayRole:
        return tr(kHeaders[static_cast<size_t>(section)]);
    case Qt::DecorationRole:
        return image == kNoImage ? QVariant() : QVariant(HeaderPixmap(image));
    case kImageRole:
        return image;
    case Qt::AccessibleTextRole:
    case Qt::ToolTipRole:
        if (section == kStatusColumn) {
            return tr(kStatusColumnName);
        }
        if (section == kMarkColumn) {
            return tr(kMarkColumnName);
        }
        return tr(kHeaders[static_cast<size_t>(section)]);
    case Qt::TextAlignmentRole:
        return section == 6 ? int(Qt::AlignCenter) : int(Qt::AlignLeft | Qt::AlignVCenter);
    default:
        return {};
    }
}

void CMessageListModel::BeginRefill()
{
    beginResetModel();
}

void CMessageListModel::EndRefill()
{
    m_order.resize(m_records.size());
    std::iota(m_order.begin(), m_order.end(), 0);
    endResetModel();
}

MessageListInfo& CMessageListModel::RecordAt(int row)
{
    return m_records[static_cast<size_t>(m_order[static_cast<size_t>(row)])];
}

void CMessageListModel::RowChanged(int row)
{
    Q_EMIT dataChanged(index(row, 0), index(row, kColumnCount - 1), {Qt::DecorationRole, kImageRole});
}

namespace {
// An image drawn the first time it is asked for.
const QPixmap& Drawn(QPixmap& pixmap, const char* file, int width, int height)
{
    if (pixmap.isNull()) {
        pixmap = RenderImage(QString::fromLatin1(file), width, height);
    }
    return pixmap;
}
} // namespace

const QPixmap& CMessageListModel::RowPixmap(int index) const
{
    const auto at = static_cast<size_t>(index);
    return Drawn(m_rowPixmaps[at], kRowImageFiles[at], kRowImageWidth, kRowImageHeight);
}

const QPixmap& CMessageListModel::HeaderPixmap(int image) const
{
    const auto at = static_cast<size_t>(image);
    return Drawn(m_headerPixmaps[at], kHeaderImageFiles[at], kHeaderImageSize, kHeaderImageSize);
}

void CMessageListModel::SetHeaderImage(int section, int image)
{
    m_headerImages[static_cast<size_t>(section)] = image;
    Q_EMIT headerDataChanged(Qt::Horizontal, section, section);
}
