// Why the system refused to open a serial device: the device's owner, group
// and mode against the user's groups, now and as the account lists them, and
// the fix that follows from them.
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "SerialPreflight.h"

namespace gdl {

namespace {

// What take makes of the system database's entry for an id; nullopt when
// there is none. The entry's buffer grows while the call says it is too
// small: a group of many members needs more than the first guess.
template <typename Entry, typename Id, typename Lookup, typename Take>
auto LookUp(Id id, Lookup lookup, Take take) -> std::optional<decltype(take(Entry{}))> {
    for (std::size_t size = 4096; size <= (1u << 20); size *= 4) {
        std::vector<char> buffer(size);
        Entry entry{};
        Entry* found = nullptr;
        const int result = lookup(id, &entry, buffer.data(), buffer.size(), &found);
        if (result == 0 && found) return take(*found);
        if (result != ERANGE) break;
    }
    return std::nullopt;
}

std::string UserName(uid_t uid) {
    return LookUp<passwd>(uid, ::getpwuid_r, [](const passwd& p) { return std::string(p.pw_name); })
        .value_or(std::to_string(uid));
}

// The groups the group database lists the user in, the primary one first.
std::vector<gid_t> AccountGroups(uid_t uid) {
    const auto user = LookUp<passwd>(uid, ::getpwuid_r, [](const passwd& p) {
        return std::pair<std::string, gid_t>(p.pw_name, p.pw_gid);
    });
    if (!user) return {};
    int n = 64;
    std::vector<gid_t> groups(static_cast<std::size_t>(n));
    if (::getgrouplist(user->first.c_str(), user->second, groups.data(), &n) < 0 && n > 0) {
        groups.resize(static_cast<std::size_t>(n));
        ::getgrouplist(user->first.c_str(), user->second, groups.data(), &n);
    }
    groups.resize(static_cast<std::size_t>(std::max(n, 0)));
    return groups;
}

std::string ModeText(unsigned mode) {
    std::string text;
    for (int shift = 6; shift >= 0; shift -= 3) {
        text += (mode >> shift) & 4 ? 'r' : '-';
        text += (mode >> shift) & 2 ? 'w' : '-';
        text += (mode >> shift) & 1 ? 'x' : '-';
    }
    return text;
}

bool Contains(const std::vector<gid_t>& groups, gid_t gid) {
    return std::find(groups.begin(), groups.end(), gid) != groups.end();
}

}  // namespace

std::string GroupName(gid_t gid) {
    return LookUp<group>(gid, ::getgrgid_r, [](const group& g) { return std::string(g.gr_name); })
        .value_or(std::to_string(gid));
}

AccessFacts ReadAccessFacts(const std::string& device) {
    AccessFacts f;
    f.device = device;
    struct stat st {};
    if (::stat(device.c_str(), &st) == 0) {
        f.mode = st.st_mode & 07777;
        f.owner = st.st_uid;
        f.group = st.st_gid;
    }
    f.groupName = GroupName(f.group);
    f.uid = ::getuid();
    const int count = ::getgroups(0, nullptr);
    if (count > 0) {
        f.sessionGroups.resize(static_cast<std::size_t>(count));
        const int got = ::getgroups(count, f.sessionGroups.data());
        f.sessionGroups.resize(static_cast<std::size_t>(std::max(got, 0)));
    }
    f.sessionGroups.push_back(::getgid());
    f.accountGroups = AccountGroups(f.uid);
    return f;
}

std::string PermissionAdvice(const AccessFacts& f) {
    const std::string group = f.groupName.empty() ? std::to_string(f.group) : f.groupName;
    std::string text = "Permission denied on " + f.device + " (owner " + UserName(f.owner) +
                       ", group " + group + ", " + ModeText(f.mode) + ").";
    const bool groupMay = (f.mode & 060) == 060;
    if (!groupMay || f.group == 0) {
        return text +
               " Its group may not use it, so joining a group does not help: give the "
               "device to the group dialout with this line in "
               "/etc/udev/rules.d/50-lynx-cable.rules: SUBSYSTEM==\"tty\", "
               "KERNEL==\"" +
               TtyName(f.device) +
               "\", GROUP=\"dialout\", MODE=\"0660\"; then plug the adapter in again and join "
               "dialout: sudo usermod -aG dialout $USER, then log out and in again.";
    }
    const bool inSession = Contains(f.sessionGroups, f.group);
    const bool inAccount = Contains(f.accountGroups, f.group);
    if (inAccount && !inSession) {
        return text + " You are in the group " + group +
               " already, but this login session began before you joined it: log out and in "
               "again (or, in a terminal, run newgrp " +
               group + ").";
    }
    if (inSession) {
        return text + " You are in the group " + group +
               " that may use it, yet the system refused: its access control list may exclude "
               "you (getfacl " +
               f.device + " shows it).";
    }
    return text + " Join the group " + group + " that may use it: sudo usermod -aG " + group +
           " $USER, then log out and in again.";
}

}  // namespace gdl
