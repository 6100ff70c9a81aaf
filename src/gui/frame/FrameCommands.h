#pragma once
// The command ids of the main window, its menus and bars, and the tray menu. The texts of the
// menus stand beside their ids in FrameMenus.cpp.
namespace cmd {
inline constexpr int kAddItem = 32772;
inline constexpr int kModifyItem = 32773;
inline constexpr int kDeleteItem = 32774;
inline constexpr int kEnableItem = 32776;
inline constexpr int kDisableItem = 32777;
inline constexpr int kTrayEnableAutoCheck = 32778;
inline constexpr int kTrayDisableAutoCheck = 32779;
inline constexpr int kCheckItem = 32781;
inline constexpr int kCheckAll = 32782;
inline constexpr int kMessageDetail = 32792;
inline constexpr int kStatusText = 32794;
inline constexpr int kEvery15Minutes = 32796;
inline constexpr int kOpenMainWindow = 32797;
inline constexpr int kEvery30Minutes = 32799;
inline constexpr int kExit = 32802;
inline constexpr int kDeleteSelected = 32803;
inline constexpr int kMarkSelectedRead = 32804;
inline constexpr int kMarkSelectedUnread = 32805;
inline constexpr int kToggleSound = 32806;
inline constexpr int kShowStoredContent = 32807;
inline constexpr int kShowRemoteContent = 32808;
inline constexpr int kToggleAutoCheck = 32809;
inline constexpr int kShowAll = 32810;
inline constexpr int kShowUnread = 32811;
inline constexpr int kShowRead = 32812;
inline constexpr int kSystemSettings = 32814;
inline constexpr int kStopCheck = 32816;
inline constexpr int kMarkAllRead = 32819;
inline constexpr int kMarkAllUnread = 32820;
inline constexpr int kImportItems = 32822;
inline constexpr int kExportItems = 32823;
inline constexpr int kUndoDelete = 32825;
inline constexpr int kOpenMessage = 32830;
inline constexpr int kNextUnread = 32831;
inline constexpr int kFirstPage = 1024;
inline constexpr int kPreviousPage = 1025;
inline constexpr int kNextPage = 1026;
inline constexpr int kLastPage = 1027;
inline constexpr int kFilterButton = 1029;
inline constexpr int kPageLabel = 1031;
inline constexpr int kCountLabel = 1032;
inline constexpr int kDatePane = 102;
inline constexpr int kFilePrint = 57607;
inline constexpr int kFilePrintPreview = 57609;
inline constexpr int kFilePrintSetup = 57606;
inline constexpr int kViewToolbar = 59392;
inline constexpr int kViewStatusBar = 59393;
inline constexpr int kAppAbout = 57664;
inline constexpr int kHelp = 57670;
inline constexpr int kSeparator = 0;
} // namespace cmd
