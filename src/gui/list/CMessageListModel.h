#pragma once
// The rows of the message list over the document's page array, in the query's order: nine columns,
// the read-state images in columns 0 and 4. The page array belongs to the document; the model only
// points into it, and is reset around every refill (its row count changes only then).
#include <QAbstractTableModel>
#include <QPixmap>
#include <array>
#include <vector>

class MessageListInfo;

class CMessageListModel final : public QAbstractTableModel
{
    Q_OBJECT
public:
    static constexpr int kColumnCount = 9;
    static constexpr int kStatusColumn = 0;
    static constexpr int kMarkColumn = 4;
    // The image that stands for "no image" in a header.
    static constexpr int kNoImage = -1;
    enum HeaderImage : int
    {
        kAscending = 0,
        kDescending = 1,
        kStatusUnsorted = 2,
        kStatusAscending = 3,
        kStatusDescending = 4,
        kMarkAscending = 5,
        kMarkDescending = 6,
        kMarkUnsorted = 7,
    };
    enum RowImage : int
    {
        kRowUnread = 0,
        kRowRead = 1,
        kMarkUnread = 5,
        kMarkRead = 6,
    };
    static constexpr int kIdRole = Qt::UserRole;
    static constexpr int kImageRole = Qt::UserRole + 1; // the image number a cell or header shows

    explicit CMessageListModel(std::vector<MessageListInfo>& records, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Around a refill of the page array: the rows take the array's (query) order.
    void BeginRefill();
    void EndRefill();
    MessageListInfo& RecordAt(int row);
    // The record's read state changed: its images are repainted.
    void RowChanged(int row);
    void SetHeaderImage(int section, int image);
    int HeaderImageOf(int section) const { return m_headerImages[static_cast<size_t>(section)]; }

private:
    const QPixmap& RowPixmap(int index) const;
    const QPixmap& HeaderPixmap(int image) const;

    std::vector<MessageListInfo>& m_records;
    std::vector<int> m_order;
    std::array<int, kColumnCount> m_headerImages;
    // Drawn on first use (the model lives on the UI thread only).
    mutable std::array<QPixmap, 4> m_rowPixmaps;    // unread row, read row, unread mark, read mark
    mutable std::array<QPixmap, 8> m_headerPixmaps; // by HeaderImage
};
