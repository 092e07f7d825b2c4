#include "toolkit/qt_language.h"

#include <memory>

#include <QApplication>
#include <QEvent>
#include <QLibraryInfo>
#include <QTranslator>
#include <QWidget>

namespace ledsuite {

namespace {
// The translation installed now and the language it was loaded for (-1: none yet).
std::unique_ptr<QTranslator> g_translator;
int64_t g_loadedFor = -1;

void SwapTranslator(uint32_t languageIndex) {
    if (g_loadedFor == int64_t(languageIndex)) return;
    g_loadedFor = languageIndex;
    if (g_translator) QCoreApplication::removeTranslator(g_translator.get());
    g_translator.reset();
    const QString name = QtTranslationName(languageIndex);
    if (name.isEmpty()) return;
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(name, QLibraryInfo::path(QLibraryInfo::TranslationsPath))) return;
    QCoreApplication::installTranslator(translator.get());
    g_translator = std::move(translator);
}
}  // namespace

QString QtTranslationName(uint32_t languageIndex) {
    switch (languageIndex) {
        case 0: return QStringLiteral("qtbase_zh_CN");
        case 1: return QStringLiteral("qtbase_zh_TW");
        default: return {};
    }
}

bool ApplyQtLanguage(uint32_t languageIndex) {
    SwapTranslator(languageIndex);
    // Qt posts its own LanguageChange to the windows when a translator comes or goes; this one is
    // sent at once, and also when no translation changed (English to English, a missing file), so
    // every widget, those of hidden pages and of windows built earlier included, follows now.
    // A widget passes the event on to its children.
    for (QWidget* w : QApplication::topLevelWidgets()) {
        QEvent change(QEvent::LanguageChange);
        QCoreApplication::sendEvent(w, &change);
    }
    return g_translator != nullptr;
}

}  // namespace ledsuite
