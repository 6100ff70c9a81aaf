#include "gui/dialogs/MessageTypeForm.h"

#include "app/ItemRules.h"

#include <QCoreApplication>

namespace {

constexpr const char* kIdentityRequiredText = QT_TRANSLATE_NOOP("MessageTypeForm", "您必须输入您的“用户身份标示”");
constexpr const char* kAddressCaption = QT_TRANSLATE_NOOP("MessageTypeForm", "属性信息错误");

FormRefusal AddressRefusal(const std::string& text)
{
    return {QString::fromStdString(text), QCoreApplication::translate("MessageTypeForm", kAddressCaption),
            QMessageBox::NoIcon};
}

} // namespace

std::optional<FormRefusal> CheckMessageTypeForm(int categoryIndex, const QString& address, int mustHaveId,
                                                const QString& identity)
{
    if (mustHaveId != 0 && identity.isEmpty()) {
        return FormRefusal{QCoreApplication::translate("MessageTypeForm", kIdentityRequiredText), QString(),
                           QMessageBox::Warning};
    }
    // The category's address rule is the core's, the one import and wendar-cli keep as well.
    if (auto refusal = CheckItemAddress(categoryIndex + 1, address.toStdString())) {
        return AddressRefusal(*refusal);
    }
    return std::nullopt;
}

std::optional<int> ParseFormInteger(const QString& text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty()) {
        return std::nullopt;
    }
    int start = 0;
    if (trimmed.front() == QLatin1Char('-') || trimmed.front() == QLatin1Char('+')) {
        start = 1;
    }
    if (start == trimmed.size()) {
        return std::nullopt;
    }
    for (int i = start; i < trimmed.size(); ++i) {
        if (trimmed[i] < QLatin1Char('0') || trimmed[i] > QLatin1Char('9')) {
            return std::nullopt;
        }
    }
    bool ok = false;
    const int value = trimmed.toInt(&ok);
    if (!ok) {
        return std::nullopt;
    }
    return value;
}

CategoryControls ControlsForCategory(int categoryIndex)
{
    CategoryControls controls;
    switch (categoryIndex) {
    case kIndexDatabase:
        controls.viewName = true;
        controls.checkNumber = true;
        controls.identity = true;
        break;
    case kIndexWebPage:
        controls.include = true;
        controls.exclude = true;
        break;
    default:
        controls.viewName = true;
        break;
    }
    return controls;
}

QString ViewLabelForCategory(int categoryIndex)
{
    // An ideographic space before the colon lines the port label up with the view label.
    if (categoryIndex == kIndexFtp || categoryIndex == kIndexMail) {
        return QCoreApplication::translate("MessageTypeForm", "端口号　:");
    }
    return QCoreApplication::translate("MessageTypeForm", "链接视图:");
}

QString StoredSoundPath(const QString& dataDir, const QString& resourceDir, const QString& chosenPath)
{
    for (const QString& dir : {dataDir, resourceDir}) {
        if (!dir.isEmpty() && chosenPath.startsWith(dir)) {
            return chosenPath.mid(dir.size());
        }
    }
    return chosenPath;
}
