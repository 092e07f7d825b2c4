// The README's first step with a card, followed as a newcomer follows it: the fake card
// program started with the command line the README gives, the path it prints put in
// LEDSUITE_SERIAL_PORTS, and a new screen's program sent with Send.
#include <gtest/gtest.h>

#include <iterator>
#include <sstream>

#include "tests/music/fakecard_program.h"
#include "tests/shell/shell_test_util.h"

using namespace ledsuite;
using namespace ledsuite::testing;

namespace {

// The arguments of the README's first fake card command ("`build/tools/fakecard ...`").
std::vector<std::string> ReadmeFakeCardArguments() {
    const std::string readme = ReadmeText();
    const std::string command = "`build/tools/fakecard ";
    const size_t at = readme.find(command);
    if (at == std::string::npos) return {};
    const size_t from = at + command.size();
    std::istringstream words(readme.substr(from, readme.find('`', from) - from));
    return {std::istream_iterator<std::string>(words), std::istream_iterator<std::string>()};
}

}  // namespace

TEST(ReadmeCard, TheFakeCardAsTheReadmeStartsItTakesANewScreensSend) {
    const std::vector<std::string> args = ReadmeFakeCardArguments();
    ASSERT_EQ(args, std::vector<std::string>{"--pty"});
    FakeCardProgram card(args);
    const std::string slave = card.Line();
    ASSERT_TRUE(slave.starts_with("/dev/pts/")) << slave;
    ScopedPorts ports({slave});
    ShellApp a;
    ASSERT_TRUE(a.Start());
    a.Frame().OnLanguage(3);
    a.TypeProgram("Hello");  // a program on the new screen, typed into the editor
    QAction* send = CommandAction(a.Frame().MainToolBar(), ID_CARD_SEND);
    ASSERT_NE(send, nullptr);
    send->trigger();
    EXPECT_EQ(a.shown.Last(), u"Send program successfully");
}
