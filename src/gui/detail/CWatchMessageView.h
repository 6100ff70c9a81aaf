#pragma once
// The message detail pane: the header strip of the selected message record and, below it, the
// record as a page: its stored content (written to data/content1.htm and loaded as a file) or the
// remote address it links to.
#include "app/IDocView.h"
#include "store/MessageInfo.h"

#include <QWidget>
#include <string>

class CWebBrowser2;
class QFrame;
class QLabel;
class QToolButton;
struct GuiContext;

class CWatchMessageView final : public QWidget, public IDocView
{
    Q_OBJECT
public:
    // The modes of ShowContent.
    enum ContentMode : int
    {
        kAsItemPrefers = -1,
        kStoredContent = 0,
        kRemoteAddress = 1,
        kChanges = 2, // what changed since the page's previous copy (web records)
    };

    CWatchMessageView(GuiContext& context, QWidget* parent = nullptr);
    ~CWatchMessageView() override;

    // Loads the document's current message record (0 = none) and shows its header and content.
    void OnUpdate(CTarvoDoc& doc, IDocView* sender, int hint) override;

    void ShowHeader(int id);
    void ShowContent(int id, int mode);
    void ShowHeaderStrip(bool shown);
    bool IsHeaderShown() const { return m_bHeaderShown; }

    CWebBrowser2* Browser() const { return m_browser; }
    const MessageInfo& Record() const { return m_record; }
    // The header strip's labels, for reading what it shows.
    QLabel* ItemNameLabel() const { return m_itemName; }
    QLabel* ReceiveDateLabel() const { return m_receiveDate; }
    QLabel* SourceDateLabel() const { return m_sourceDate; }
    QLabel* ReceiverLabel() const { return m_receiver; }
    QLabel* SubjectLabel() const { return m_subject; }
    QLabel* SenderLabel() const { return m_sender; }
    QLabel* CategoryLabel() const { return m_category; }
    QToolButton* HeaderButton() const { return m_headerButton; }
    QToolButton* StoredButton() const { return m_storedButton; }
    QToolButton* RemoteButton() const { return m_remoteButton; }
    QToolButton* ChangesButton() const { return m_changesButton; }
    // Opens the subject's address in the desktop's browser (only web and mail addresses).
    void OpenSubjectLink();
    // Enter or a double click on a message: its link in the desktop's browser, or, when it has
    // none, its stored content (the page file) there.
    void OpenInDesktopBrowser();
    // The first start's hint ("点击 增加 ...") with its button; shown while there are no items.
    QWidget* FirstStartHint() const { return m_hint; }

Q_SIGNALS:
    // The frame's busy animation while the browser downloads, unless a check run shows its own.
    void BusyAnimation(bool running);
    // The hint's button: the add dialog.
    void AddItemWanted();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void PlaceChildren();
    void BuildHint();
    void OnDownloadBegin();
    void OnDownloadComplete();
    // Writes the page to data/content1.htm, the search's words marked, and shows it.
    void ShowPageFile(const std::string& html);

    GuiContext& m_context;
    MessageInfo m_record;
    std::string m_strSavedStatus;
    std::string m_strLink;
    bool m_bHeaderShown = true;
    bool m_bDownloading = false;

    QToolButton* m_headerButton = nullptr;
    QWidget* m_header = nullptr;
    QLabel* m_itemName = nullptr;
    QLabel* m_receiveDate = nullptr;
    QLabel* m_sourceDate = nullptr;
    QLabel* m_receiver = nullptr;
    QLabel* m_subjectCaption = nullptr;
    QLabel* m_subject = nullptr;
    QLabel* m_sender = nullptr;
    QLabel* m_category = nullptr;
    QToolButton* m_storedButton = nullptr;
    QToolButton* m_remoteButton = nullptr;
    QToolButton* m_changesButton = nullptr;
    QFrame* m_separator = nullptr;
    CWebBrowser2* m_browser = nullptr;
    QWidget* m_hint = nullptr;
};
