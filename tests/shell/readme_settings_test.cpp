// The README's Settings paragraph names the file the application really keeps its settings
// in, and its example, put in that file, gives the application the four server keys.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <QSettings>

#include "shell/server_session.h"
#include "shell/zu_app.h"
#include "tests/shell/shell_test_util.h"

using namespace ledsuite;

namespace {

// The indented lines after "For example:", without their indent.
std::string Example(const std::string& readme) {
    std::istringstream in(readme.substr(readme.find("For example:")));
    std::string line, block;
    std::getline(in, line);
    while (std::getline(in, line) && (line.empty() || line.starts_with("    ")))
        block += (line.empty() ? "" : line.substr(4)) + "\n";
    return block;
}

}  // namespace

TEST(ReadmeSettings, TheNamedFileIsTheApplicationsAndItsExampleSetsTheServers) {
    int argc = 1;
    char name[] = "ledsuite";
    char* argv[] = {name, nullptr};
    CZUApp app(argc, argv);  // names the settings as the application does
    const std::string readme = ledsuite::testing::ReadmeText();
    const size_t end = readme.find(".conf`");
    ASSERT_NE(end, std::string::npos);
    const size_t start = readme.rfind('`', end) + 1;
    std::string named = readme.substr(start, end + 5 - start);
    const std::string home = "$XDG_CONFIG_HOME";
    ASSERT_TRUE(named.starts_with(home)) << named;
    named.replace(0, home.size(), qgetenv("XDG_CONFIG_HOME").toStdString());
    const QString file = QSettings().fileName();
    EXPECT_EQ(named, file.toStdString());

    std::filesystem::create_directories(std::filesystem::path(file.toStdString()).parent_path());
    std::ofstream(file.toStdString()) << Example(readme);
    QSettings settings;
    settings.sync();
    bool portIsNumber = false;
    EXPECT_EQ(settings.value(kServerHostKey).toString(), "vehicles.example.com");
    EXPECT_EQ(settings.value(kServerPortKey).toString().toInt(&portIsNumber), 9000);
    EXPECT_TRUE(portIsNumber);
    EXPECT_EQ(settings.value("Lyrics/Server1").toString(), "lyrics.example.com");
    EXPECT_EQ(settings.value("Lyrics/Server2").toString(), "lyrics.example.net:8080");
}
