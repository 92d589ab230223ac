#include "corvid/sharing/ui/DesktopServices.h"

#include "corvid/sharing/CorvidMessages.h"

namespace corvid::sharing {

QString Tr(int id) {
    return QString::fromStdString(CorvidText(id));
}

QString Localized(const std::string& english) {
    const auto& messages = CorvidMessages::instance();
    const auto table = CorvidMessages::BuiltInTable(CorvidMessages::English);
    std::vector<std::string> texts;
    if (CorvidMessages::ParseTable(table, texts)) {
        for (int id = 0; id < CorvidMessages::kCount; ++id) {
            const std::string& e = texts[static_cast<std::size_t>(id)];
            const auto percent = e.find('%');
            if (e == english)
                return QString::fromStdString(messages.Get(id));
            if (percent != std::string::npos && percent > 0 &&
                english.compare(0, percent, e, 0, percent) == 0 && e.size() == percent + 2)
                return QString::fromStdString(messages.Format(id, english.substr(percent)));
        }
    }
    return QString::fromStdString(english);
}

}  // namespace corvid::sharing
