#include "PlayerSend.h"

#include "Link.h"

namespace gdlfuzz {

static_assert(kPlayerPreamble == gdl::kPreambleBytes);

std::string PlayerSend(const SendFields& fields, const std::string& levelBytes) {
    gdl::LinkHeaderFields header;
    header.label = fields.label;
    header.newLevel = fields.newLevel;
    header.freshStart = fields.freshStart;
    header.music = fields.music;
    header.length = static_cast<std::uint16_t>(levelBytes.size());
    header.dataChecksum = gdl::DataChecksum(levelBytes);
    const gdl::LinkHeader bytes = gdl::BuildLinkHeader(header);
    std::string send(gdl::kPreambleBytes, static_cast<char>(gdl::kPreambleByte));
    send.append(bytes.begin(), bytes.end());
    return send + levelBytes;
}

}  // namespace gdlfuzz
