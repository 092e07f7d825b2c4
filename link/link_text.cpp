#include "link/link_text.h"

#include "content/model/lang.h"
#include "content/model/text_codec.h"

namespace ledsuite {

std::u16string FillText(std::u16string_view format, std::initializer_list<std::u16string_view> args) {
    std::u16string out;
    auto next = args.begin();
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] == u'%' && i + 1 < format.size() && (format[i + 1] == u'd' || format[i + 1] == u's') &&
            next != args.end()) {
            out += *next++;
            ++i;
        } else {
            out += format[i];
        }
    }
    return out;
}

std::u16string SerialPortMessage(int comNumber) {
    static const LangText kText{{u"串口%d不存在或已被其他程序打开", u"串口%d不存在或已被其他程式開啟",
                                 u"Series port %d doesn't exist or has been opened by other application"}};
    return FillText(kText(), {FormatIntStatic(comNumber)});
}

}  // namespace ledsuite
