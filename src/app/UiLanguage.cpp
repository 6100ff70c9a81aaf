#include "app/UiLanguage.h"

#include "app/PinyinKey.h"
#include "store/ListTextOrder.h"
#include "util/UiText.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <cstdlib>

namespace {

// The program's English texts, compiled from translations/wendar_en.ts into the resources.
constexpr const char* kEnglishTranslation = ":/i18n/wendar_en.qm";

QTranslator& OwnTranslator()
{
    static QTranslator translator;
    return translator;
}

QTranslator& QtTranslator()
{
    static QTranslator translator;
    return translator;
}

std::string TranslateOwn(const char* context, const char* source)
{
    return OwnTranslator().translate(context, source).toStdString();
}

} // namespace

ShownLanguage ChooseShownLanguage(int setting, const std::string& locale)
{
    if (setting == kUiLanguageChinese) {
        return ShownLanguage::Chinese;
    }
    if (setting == kUiLanguageEnglish) {
        return ShownLanguage::English;
    }
    const bool chinese =
        locale.empty() || locale == "C" || locale.starts_with("C.") || locale == "POSIX" || locale.starts_with("zh");
    return chinese ? ShownLanguage::Chinese : ShownLanguage::English;
}

std::string MessagesLocale()
{
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value && *value) {
            return value;
        }
    }
    return {};
}

ShownLanguage SetUpLanguage(int setting)
{
    SetCharacterKey(&AppendPinyinKey, PinyinOrderName());
    // A second call (the tests') replaces what the first installed.
    SetTextTranslator(nullptr);
    if (QCoreApplication::instance()) {
        QCoreApplication::removeTranslator(&OwnTranslator());
        QCoreApplication::removeTranslator(&QtTranslator());
    }
    const ShownLanguage language = ChooseShownLanguage(setting, MessagesLocale());
    if (language == ShownLanguage::English) {
        if (OwnTranslator().load(QString::fromUtf8(kEnglishTranslation))) {
            SetTextTranslator(&TranslateOwn);
            if (QCoreApplication::instance()) {
                QCoreApplication::installTranslator(&OwnTranslator());
            }
        }
    } else if (QCoreApplication::instance() &&
               QtTranslator().load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qt"), QStringLiteral("_"),
                                   QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(&QtTranslator());
    }
    return language;
}
