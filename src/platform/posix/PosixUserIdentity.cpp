#include "core/record/UserIdentity.h"

#include "core/text/TextHelpers.h"

#include <climits>
#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

namespace travek {

std::string computerName() {
    char name[HOST_NAME_MAX + 1] = "";
    if (::gethostname(name, sizeof name) != 0)
        return {};
    name[HOST_NAME_MAX] = '\0';
    return systemTextToWin1252(name);
}

std::string loginName() {
    // The account the program runs as, not what the environment claims: USER is anybody's to set.
    if (const passwd* account = ::getpwuid(::geteuid()); account && account->pw_name)
        return systemTextToWin1252(account->pw_name);
    const char* name = std::getenv("USER");
    return name ? systemTextToWin1252(name) : std::string();
}

} // namespace travek
