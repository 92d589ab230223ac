#pragma once
// Channel lists for the tests: services and whole files built in a few lines.

#include <memory>
#include <string>
#include <vector>

#include "velkport/channels/ChannelDatabase.h"

namespace velkport::channels::testdata {

inline std::unique_ptr<Service> service(int kind, int number, std::string name) {
    auto s = std::make_unique<Service>();
    s->serviceType = static_cast<std::uint8_t>(kind);
    s->channelNumber = number;
    s->name = std::move(name);
    s->sid = 100 + number;
    return s;
}

// One <Service> entry of a channel list file.
inline std::string serviceXml(int number, const std::string& name, const std::string& type,
                              const std::string& extra = "") {
    return "<Service><ChannelNo>" + std::to_string(number) + "</ChannelNo><Name>" + name +
           "</Name><Sid>" + std::to_string(number) + "</Sid>" + extra + "<ServiceType>" + type +
           "</ServiceType></Service>\n";
}

inline std::string groupXml(const std::string& name, const std::string& type,
                            const std::vector<int>& members) {
    std::string out =
        "<FavoriteGroup><Name>" + name + "</Name><ServiceType>" + type + "</ServiceType>";
    for (int m : members)
        out += "<ChannelNo>" + std::to_string(m) + "</ChannelNo>";
    return out + "</FavoriteGroup>\n";
}

// "name=number " for every service of the kinds, in table order.
inline std::string listed(const ChannelDatabase& db, std::vector<int> kinds = {kTv, kRadio}) {
    std::string out;
    for (int kind : kinds)
        for (const Service* s : db.services(kind))
            out += s->name + "=" + std::to_string(s->channelNumber) + " ";
    return out;
}

// The names of a group's members, each followed by a blank.
inline std::string members(const FavoriteGroup& g) {
    std::string out;
    for (int i = 0; i < g.memberCount(); ++i)
        out += g.members[static_cast<std::size_t>(i)]->name + " ";
    return out;
}

inline std::string listXml(const std::string& body) {
    return "<?xml version=\"1.0\"?>\n<Servicelist>\n" + body + "</Servicelist>\n";
}

}  // namespace velkport::channels::testdata
