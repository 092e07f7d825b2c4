// The whole window speaks one language. Started in each interface language (the user's
// locale, automatic choice) and switched between them through the language menu, every pane,
// toolbar, list header, tooltip, and every window a menu, toolbar or context-menu command
// opens shows the texts of the current language only. The judge reads the text table rows
// out of the sources: a shown text that is a row's text must be the current language's; any
// other text holds no Chinese in English and no English words in Chinese (names and data
// aside). The walk keeps a table of what it visited.
#include <gtest/gtest.h>

#include <iostream>

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QTranslator>
#include <QDockWidget>
#include <QFontDatabase>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QSet>
#include <QTabBar>
#include <QTableView>
#include <QTextDocumentFragment>
#include <QTimer>
#include <QToolBar>
#include <QToolBox>
#include <QTreeWidget>
#include <QWidgetAction>

#include "content/render/font_tables.h"
#include "toolkit/qt_text.h"
#include "music/ui/music_ctrl.h"
#include "music/ui/volume_dlg.h"
#include "shell/list_view_car_info.h"
#include "shell/list_view_program_edit.h"
#include "shell/list_view_program_server.h"
#include "tests/shell/shell_test_util.h"
#include "tests/source_texts.h"

using namespace ledsuite;
using namespace ledsuite::testing;

namespace {

constexpr const char* kLanguageNames[3] = {"Simplified", "Traditional", "English"};

// Accelerators ("&File", "文件(&F)"), a trailing ellipsis or colon and spaces are not part of a text.
QString Normalized(QString text) {
    static const QRegularExpression accelerator(QStringLiteral("\\(&.\\)"));
    text.remove(accelerator);
    text.replace(QStringLiteral("&&"), QStringLiteral("\x01")).remove(u'&').replace(u'\x01', u'&');
    text = text.trimmed();
    while (text.endsWith(QStringLiteral("...")) || text.endsWith(u'…') || text.endsWith(u':') || text.endsWith(u'：'))
        text = text.left(text.size() - (text.endsWith(QStringLiteral("...")) ? 3 : 1)).trimmed();
    return text;
}

bool HasCjk(const QString& text) {
    for (char32_t c : text.toStdU32String())
        if ((c >= 0x3400 && c <= 0x9FFF) || (c >= 0x3000 && c <= 0x303F) || (c >= 0xFF00 && c <= 0xFFEF)) return true;
    return false;
}

// A literal's text as the program holds it (\n and the other simple escapes resolved).
QString FromLiteral(const std::string& literal) {
    std::string plain;
    for (size_t i = 0; i < literal.size(); ++i) {
        if (literal[i] != '\\' || i + 1 >= literal.size() || literal[i + 1] == 'u') {
            plain += literal[i];
            continue;
        }
        const char e = literal[++i];
        plain += e == 'n' ? '\n' : e == 't' ? '\t' : e;
    }
    return QString::fromStdU32String(CodePoints(plain));
}

// Every row of the text tables, by language: whole texts, and patterns for those with a
// placeholder ("%d", "%s", "%1").
struct TextTable {
    QSet<QString> exact[3];
    std::vector<QRegularExpression> patterns[3];
    QSet<QString> chineseWords;  // Latin words that stand in Chinese texts too (GPRS, LRC, COM)

    void Add(int language, const QString& text) {
        static const QRegularExpression placeholder(QStringLiteral("%[-+ #0-9.]*(?:l|ll|h)?[dsuxXcfS]|%[0-9]"));
        if (text.isEmpty()) return;
        if (!text.contains(placeholder)) {
            exact[language].insert(text);
        } else {
            QString pattern;
            qsizetype at = 0;
            for (auto it = placeholder.globalMatch(text); it.hasNext();) {
                const auto m = it.next();
                pattern += QRegularExpression::escape(text.mid(at, m.capturedStart() - at)) + QStringLiteral(".*");
                at = m.capturedEnd();
            }
            pattern += QRegularExpression::escape(text.mid(at));
            patterns[language].emplace_back(QRegularExpression::anchoredPattern(pattern),
                                            QRegularExpression::DotMatchesEverythingOption);
        }
        if (language < 2) {
            static const QRegularExpression word(QStringLiteral("[A-Za-z]{2,}"));
            for (auto it = word.globalMatch(text); it.hasNext();) chineseWords.insert(it.next().captured().toLower());
        }
    }
    // Bit k: the text is a row's text in language k.
    int Languages(const QString& text) const {
        int bits = 0;
        for (int k = 0; k < 3; ++k) {
            bool found = exact[k].contains(text);
            for (size_t p = 0; !found && p < patterns[k].size(); ++p) found = patterns[k][p].match(text).hasMatch();
            bits |= found ? 1 << k : 0;
        }
        return bits;
    }
};

const TextTable& Table() {
    static const TextTable table = [] {
        TextTable t;
        const char* root = std::getenv("LEDSUITE_SOURCE_DIR");
        ForEachLibrarySource(root ? root : LEDSUITE_SOURCE_ROOT, [&](const std::string&, const std::string& source) {
            SourceReader r(source);
            ForEachRow(r, [&](Literal* row[3]) {
                for (int k = 0; k < 3; ++k) t.Add(k, Normalized(FromLiteral(row[k]->text)));
            });
        });
        return t;
    }();
    return table;
}

// Texts the window shows alike in every language: the product's caption, the protocol names,
// the port pane's text, the glyph of the second picture button.
const QStringList kOneForm = {"Kesh Varn PC Suit", "KIP", "GPS", "Serial  Port: Com*, Baurdrate: *", "字"};

// Data that is no text of the window: face names, paths and file filters, and the texts
// shown alike in every language.
bool IsData(const QString& text) {
    static const QSet<QString> faces = [] {
        QSet<QString> names;
        for (const std::u16string& name : EnumerateInstalledFaces().names) names << ToQString(name);
        for (const char16_t* name : CardFaceNames()) names << ToQString(name);
        for (const QString& family : QFontDatabase::families()) names << family;
        return names;
    }();
    static const QRegularExpression filter(QStringLiteral("\\*\\.|^/"));
    for (const QString& form : kOneForm)
        if (QRegularExpression(QRegularExpression::wildcardToRegularExpression(form)).match(text).hasMatch())
            return true;
    return faces.contains(text) || text.contains(filter);
}

// Why `shown` is not of language `language`, or empty.
QString Fault(const QString& shown, int language) {
    const QString text = Normalized(shown);
    if (text.isEmpty() || IsData(text)) return {};
    const int bits = Table().Languages(text);
    if (bits & (1 << language)) return {};
    if (bits) {
        for (int k = 0; k < 3; ++k)
            if (bits & (1 << k)) return QStringLiteral("%1 text \"%2\"").arg(kLanguageNames[k], text);
    }
    if (language == 2) return HasCjk(text) ? QStringLiteral("Chinese \"%1\"").arg(text) : QString();
    if (HasCjk(text)) return {};
    static const QRegularExpression word(QStringLiteral("[A-Za-z]{3,}"));
    for (auto it = word.globalMatch(text); it.hasNext();)
        if (!Table().chineseWords.contains(it.next().captured().toLower()))
            return QStringLiteral("English \"%1\"").arg(text);
    return {};
}

// ---- what a widget tree shows ----

void AddActionTexts(const QList<QAction*>& actions, QStringList& out) {
    for (QAction* a : actions) {
        if (a->isSeparator()) continue;
        out << a->text() << a->toolTip() << a->statusTip();
        if (a->menu()) out << a->menu()->title();
    }
}

void AddViewTexts(QAbstractItemView* view, QStringList& out) {
    QAbstractItemModel* model = view->model();
    if (!model) return;
    const QHeaderView* header = nullptr;
    if (auto* table = qobject_cast<QTableView*>(view)) header = table->horizontalHeader();
    if (auto* tree = qobject_cast<QTreeView*>(view)) header = tree->header();
    if (header && !header->isHidden())
        for (int c = 0; c < model->columnCount(); ++c) out << model->headerData(c, Qt::Horizontal).toString();
    // The program tree's own labels (screen and set names) follow the language; other lists hold data.
    if (auto* tree = qobject_cast<QTreeWidget*>(view))
        for (QTreeWidgetItemIterator it(tree); *it; ++it) out << (*it)->text(0) << (*it)->toolTip(0);
}

QStringList TextsOf(QWidget* w) {
    QStringList out;
    if (w->isWindow()) out << w->windowTitle();
    out << w->toolTip() << w->statusTip() << w->whatsThis();
    if (auto* label = qobject_cast<QLabel*>(w))
        out << (Qt::mightBeRichText(label->text()) ? QTextDocumentFragment::fromHtml(label->text()).toPlainText()
                                                   : label->text());
    if (auto* button = qobject_cast<QAbstractButton*>(w)) out << button->text();
    if (auto* box = qobject_cast<QGroupBox*>(w)) out << box->title();
    if (auto* dock = qobject_cast<QDockWidget*>(w)) out << dock->windowTitle();
    if (auto* edit = qobject_cast<QLineEdit*>(w)) out << edit->placeholderText();
    if (auto* combo = qobject_cast<QComboBox*>(w); combo && !combo->isEditable())
        for (int i = 0; i < combo->count(); ++i) out << combo->itemText(i);
    if (auto* tabs = qobject_cast<QTabBar*>(w))
        for (int i = 0; i < tabs->count(); ++i) out << tabs->tabText(i) << tabs->tabToolTip(i);
    if (auto* toolbox = qobject_cast<QToolBox*>(w))
        for (int i = 0; i < toolbox->count(); ++i) out << toolbox->itemText(i) << toolbox->itemToolTip(i);
    if (auto* view = qobject_cast<QAbstractItemView*>(w)) AddViewTexts(view, out);
    AddActionTexts(w->actions(), out);
    return out;
}

// One line of the walk's table: a place, how many texts it showed, what was not of the language.
struct Visit {
    std::string state;  // "start Simplified", "Simplified → English"
    std::string place;
    int texts = 0;
    QStringList faults;
};

QString PlaceOf(const QWidget* w) {
    QString name = QString::fromLatin1(w->metaObject()->className());
    if (!w->windowTitle().isEmpty() && w->isWindow()) name += QStringLiteral(" \"%1\"").arg(w->windowTitle());
    return name;
}

class Walk {
public:
    Walk(std::vector<Visit>& table, std::string state, int language, const ShownMessages& shown)
        : table_(table), state_(std::move(state)), language_(language), shown_(shown) {}

    // Every widget under `root`, shown or hidden, as one place of the table.
    void Window(QWidget* root, const QString& place) {
        Visit visit{state_, place.toStdString()};
        QList<QWidget*> widgets = root->findChildren<QWidget*>();
        widgets.prepend(root);
        for (QWidget* w : widgets)
            for (const QString& text : TextsOf(w)) Judge(visit, PlaceOf(w), text);
        visit.faults.removeDuplicates();
        table_.push_back(visit);
    }

    // The messages the window passed to its message sink since `from` (text and caption).
    void Messages(size_t from, const QString& command) {
        if (shown_.texts.size() <= from) return;
        Visit visit{state_, (command + QStringLiteral(" → message")).toStdString()};
        for (size_t k = from; k < shown_.texts.size(); ++k)
            for (const std::u16string& text : {shown_.texts[k], shown_.captions[k]})
                Judge(visit, QStringLiteral("message"), ToQString(text));
        table_.push_back(visit);
    }

    // Runs `act` and walks, then closes, every window that opens meanwhile (as the event loop runs).
    int Opened(const QString& command, const std::function<void()>& act) {
        QSet<QWidget*> before;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->isVisible()) before << w;
        int opened = 0;
        constexpr int kMostWindows = 8;  // a command that opened windows without end stops here
        auto catchOne = [&] {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                if (!w->isVisible() || before.contains(w) || w->inherits("QTipLabel") || opened > kMostWindows)
                    continue;
                ++opened;
                Window(w, command + QStringLiteral(" → ") + PlaceOf(w));
                if (auto* dialog = qobject_cast<QDialog*>(w)) dialog->reject();
                w->close();
                return true;
            }
            return false;
        };
        QTimer timer;
        QObject::connect(&timer, &QTimer::timeout, catchOne);
        timer.start(2);
        act();
        for (int round = 0; round < 3; ++round) QTest::qWait(5);
        while (catchOne()) QTest::qWait(5);
        return opened;
    }

    // Every command of the window's menus, toolbars and the panes' context menus, once each.
    void Commands(CMainFrame& frame) {
        QList<QAction*> actions;
        std::function<void(QMenu*)> menu = [&](QMenu* m) {
            for (QAction* a : m->actions()) a->menu() ? menu(a->menu()) : void(actions << a);
        };
        for (QAction* a : frame.menuBar()->actions())
            if (a->menu()) menu(a->menu());
        for (QToolBar* bar : frame.findChildren<QToolBar*>()) actions << bar->actions();
        for (QMenu* m : frame.findChildren<QMenu*>()) menu(m);
        QSet<QString> done;
        for (QAction* a : actions) {
            const int id = a->data().toInt();
            const QString name = QStringLiteral("%1 %2").arg(id).arg(a->text().isEmpty() ? a->toolTip() : a->text());
            if (a->isSeparator() || a->menu() || done.contains(name) || qobject_cast<QWidgetAction*>(a)) continue;
            done << name;
            // Not triggered: the language (switched by the test), Exit (ends the window).
            const bool language = id >= ID_LANGUAGE_AUTO && id <= ID_LANGUAGE_AUTO + 3;
            if (language || id == ID_APP_EXIT || !a->isEnabled()) continue;
            const bool toggles = a->isCheckable();
            const size_t messages = shown_.texts.size();
            const int opened = Opened(name, [a] { a->trigger(); });
            if (toggles && a->isEnabled()) Opened(name, [a] { a->trigger(); });  // back as it was
            Messages(messages, name);
            if (opened == 0 && shown_.texts.size() == messages)
                table_.push_back({state_, (name + QStringLiteral(" → no window")).toStdString()});
        }
    }

private:
    void Judge(Visit& visit, const QString& where, const QString& text) {
        if (text.trimmed().isEmpty()) return;
        ++visit.texts;
        if (const QString why = Fault(text, language_); !why.isEmpty())
            visit.faults << QStringLiteral("%1: %2").arg(where, why);
    }

    std::vector<Visit>& table_;
    std::string state_;
    int language_;
    const ShownMessages& shown_;
};

const char* g_locale = "";
const char* LocaleLookup(const char* name) { return std::string_view(name) == "LANG" ? g_locale : nullptr; }

std::string TableText(const std::vector<Visit>& table, bool faultsOnly) {
    std::string out;
    for (const Visit& v : table) {
        if (faultsOnly && v.faults.isEmpty()) continue;
        out += v.state + " | " + v.place + " | " + std::to_string(v.texts) + " | " +
               v.faults.join(QStringLiteral("; ")).toStdString() + "\n";
    }
    return out;
}

// The locale the window starts in (automatic choice) and its language index.
struct Start {
    const char* locale;
    int language;
};
const Start kStarts[] = {{"zh_CN.UTF-8", 0}, {"zh_TW.UTF-8", 1}, {"en_US.UTF-8", 2}};

class OneLanguageWalk : public ::testing::TestWithParam<Start> {};

}  // namespace

TEST_P(OneLanguageWalk, EveryPaneToolbarHeaderTooltipAndDialogAtStartAndAfterEachSwitch) {
    ASSERT_FALSE(Table().exact[0].isEmpty());
    std::vector<Visit> table;
    ScopedPorts none({"/no/such/port"});  // the card commands end in their message at once
    const int start = GetParam().language;
    ShellApp a;
    g_locale = GetParam().locale;
    SetUiLanguageEnvForTests(LocaleLookup);
    ASSERT_TRUE(a.Start());
    SetUiLanguageEnvForTests(nullptr);
    QApplication::processEvents();
    auto walk = [&](const std::string& state, int language) {
        Walk w(table, state, language, a.shown);
        w.Window(&a.Frame(), QStringLiteral("main window"));
        w.Commands(a.Frame());
    };
    walk(std::string("start ") + kLanguageNames[start], start);
    // Through the other two languages and back, each switch walked at once (no event loop between).
    for (int step = 1; step <= 3; ++step) {
        const int from = (start + step - 1) % 3, to = (start + step) % 3;
        a.Menu(ID_LANGUAGE_AUTO + 1 + to)->trigger();
        walk(std::string(kLanguageNames[from]) + " → " + kLanguageNames[to], to);
    }
    if (std::getenv("LEDSUITE_PRINT_WALK")) std::cout << TableText(table, false);
    size_t faults = 0, places = 0;
    for (const Visit& v : table) {
        faults += v.faults.size();
        places += v.texts > 0;
    }
    EXPECT_EQ(faults, 0u) << TableText(table, true);
    EXPECT_GT(places, 4u * 20u);  // each of the four states walked the window and the windows its commands open
}

INSTANTIATE_TEST_SUITE_P(Starts, OneLanguageWalk, ::testing::ValuesIn(kStarts),
                         [](const ::testing::TestParamInfo<Start>& info) {
                             return std::string(kLanguageNames[info.param.language]);
                         });

namespace {

// Qt's own texts of the Open chooser: the widget (object name, or the button box's button of
// a role), the translation context and the English source.
struct ChooserText {
    const char* widget;
    QDialogButtonBox::ButtonRole role;
    const char* context;
    const char* source;
};
const ChooserText kChooserTexts[] = {
    {"lookInLabel", QDialogButtonBox::InvalidRole, "QFileDialog", "Look in:"},
    {"fileNameLabel", QDialogButtonBox::InvalidRole, "QFileDialog", "File &name:"},
    {"fileTypeLabel", QDialogButtonBox::InvalidRole, "QFileDialog", "Files of type:"},
    {"backButton", QDialogButtonBox::InvalidRole, "QFileDialog", "Back"},
    {"toParentButton", QDialogButtonBox::InvalidRole, "QFileDialog", "Parent Directory"},
    {"newFolderButton", QDialogButtonBox::InvalidRole, "QFileDialog", "Create New Folder"},
    {"buttonBox", QDialogButtonBox::AcceptRole, "QFileDialog", "&Open"},
    {"buttonBox", QDialogButtonBox::RejectRole, "QPlatformTheme", "Cancel"},
};

QString ChooserShows(QFileDialog* chooser, const ChooserText& t) {
    QWidget* w = chooser->findChild<QWidget*>(QLatin1String(t.widget));
    if (auto* box = qobject_cast<QDialogButtonBox*>(w)) {
        for (QAbstractButton* b : box->buttons())
            if (box->buttonRole(b) == t.role) return b->text();
        return {};
    }
    if (auto* label = qobject_cast<QLabel*>(w)) return label->text();
    return w ? w->toolTip() : QString();
}

// What Qt's translation of `qm` says for a source (the source itself without one).
QString Expected(const QTranslator* qm, const char* context, const char* source) {
    return qm ? qm->translate(context, source) : QString::fromLatin1(source);
}

}  // namespace

TEST(OneLanguage, OpenChooserAndItsMessageBoxSpeakTheInterfaceLanguage) {
    ShellApp a;
    g_locale = "zh_CN.UTF-8";
    SetUiLanguageEnvForTests(LocaleLookup);
    ASSERT_TRUE(a.Start());
    SetUiLanguageEnvForTests(nullptr);
    // (menu setting, Qt's translation for it; the first row is the start, the others switches)
    const std::pair<int, const char*> kLanguages[] = {{1, "qtbase_zh_CN"}, {2, "qtbase_zh_TW"}, {3, nullptr},
                                                      {1, "qtbase_zh_CN"}};
    for (size_t step = 0; step < std::size(kLanguages); ++step) {
        const auto& [setting, qmName] = kLanguages[step];
        if (step > 0) a.Menu(ID_LANGUAGE_AUTO + setting)->trigger();
        QTranslator qm;
        ASSERT_TRUE(!qmName || qm.load(QLatin1String(qmName), QLibraryInfo::path(QLibraryInfo::TranslationsPath)));
        const QTranslator* translation = qmName ? &qm : nullptr;
        EXPECT_EQ(ApplyQtLanguage(UiLanguageIndex()), qmName != nullptr);  // Qt's translation in use, none for English
        QStringList shown, expected;
        QString boxButton;
        AnswerNext<QFileDialog>([&](QFileDialog* chooser) {
            for (const ChooserText& t : kChooserTexts) {
                shown << Normalized(ChooserShows(chooser, t));
                expected << Normalized(Expected(translation, t.context, t.source));
            }
            // A name that is not there: the chooser's own box tells so, with its OK button.
            AnswerNext<QMessageBox>([&](QMessageBox* box) {
                boxButton = box->buttons().value(0) ? box->buttons().value(0)->text() : QString();
                box->reject();
            }, true);
            auto* name = chooser->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            QTest::keyClicks(name, QStringLiteral("no-such-program"));
            QTest::keyClick(name, Qt::Key_Return);
            chooser->reject();
        }, true);
        a.Menu(ID_FILE_OPEN)->trigger();
        EXPECT_EQ(shown.join(" | ").toStdString(), expected.join(" | ").toStdString()) << "setting " << setting;
        const QString ok = Normalized(Expected(translation, "QPlatformTheme", "OK"));
        EXPECT_EQ(Normalized(boxButton).toStdString(), ok.toStdString()) << "setting " << setting;
        // The translation is a Chinese one: it is not the English text.
        if (translation) {
            EXPECT_TRUE(HasCjk(shown.join(QString()))) << shown.join(" | ").toStdString();
        }
    }
}

TEST(OneLanguage, EachPaneBuiltInOneLanguageFollowsQtsLanguageEventAlone) {
    ScopedShellEnv env;  // English until a choice is made
    std::atomic<int> music{1000}, speech{100};
    // The panes as made on their own, outside the window and its relay.
    const std::vector<std::pair<QString, std::function<QWidget*()>>> makers = {
        {"text editor", [] { return new CEditCtrl(nullptr, nullptr); }},
        {"music pane", [] { return new CMusicCtrl(nullptr, nullptr); }},
        {"volume window", [&] { return new CVolumeDlg(music, speech); }},
        {"Programs List", [] { return new ListViewProgramEdit(nullptr, nullptr); }},
        {"server programs", [] { return new ListViewProgramServer(nullptr, nullptr); }},
        {"vehicle list", [] { return new ListViewCarInfo(nullptr, nullptr); }},
    };
    std::vector<std::unique_ptr<QWidget>> panes;
    for (const auto& [name, make] : makers) panes.emplace_back(make());
    std::vector<Visit> table;
    ShownMessages none;
    // (menu setting, language index): each change reaches the panes through Qt's event only.
    for (const auto& [setting, language] : {std::pair{1u, 0}, {2u, 1}, {3u, 2}, {1u, 0}}) {
        SetUiLanguage(setting);
        ApplyQtLanguage(uint32_t(language));
        Walk walk(table, kLanguageNames[language], language, none);
        for (size_t k = 0; k < panes.size(); ++k) walk.Window(panes[k].get(), makers[k].first);
    }
    size_t faults = 0;
    for (const Visit& v : table) faults += v.faults.size() + (v.texts == 0);  // every pane shows texts
    EXPECT_EQ(faults, 0u) << TableText(table, false);
}
