#pragma once
// Helpers of the card dialog tests: a message sink that records and answers, a
// recording channel, folders standing in for removable drives.
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "content/imc_codes.h"
#include "link/ui/link_messages.h"
#include "tests/link/link_test_util.h"
#include "toolkit/message_box.h"

namespace ledsuite::testing {

struct Messages {
    std::vector<std::u16string> texts;
    std::vector<uint32_t> types;
    int answer = IDOK;
    LinkMessageSink Sink() {
        return [this](const std::u16string& text, const std::u16string&, uint32_t type) {
            texts.push_back(text);
            types.push_back(type);
            return answer;
        };
    }
};

class RecordingChannel : public InternalChannel {
public:
    intptr_t send(int code, intptr_t arg) override {
        sent.emplace_back(code, arg);
        return onSend ? onSend(code, arg) : 0;
    }
    void post(int code, intptr_t arg) override { sent.emplace_back(code, arg); }
    std::function<intptr_t(int, intptr_t)> onSend;
    std::vector<std::pair<int, intptr_t>> sent;
};

// LEDSUITE_REMOVABLE_ROOTS set to one fresh folder while alive.
struct RemovableRoot {
    TempDir dir;
    RemovableRoot() { setenv("LEDSUITE_REMOVABLE_ROOTS", dir.path.c_str(), 1); }
    ~RemovableRoot() { unsetenv("LEDSUITE_REMOVABLE_ROOTS"); }
    std::string root() const { return dir.path.string(); }
};

}  // namespace ledsuite::testing
