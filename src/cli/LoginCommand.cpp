// vellumry login add|remove|status: the login item of the Vellumry program installed beside this tool.
#include "cli/Cli.h"

#include "platform/LoginItems.h"
#include "platform/Preferences.h"
#include "platform/Settings.h"

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include <unistd.h>

namespace vellumry::cli {

// One line on standard output: "enabled" or "disabled", the state after the command.
int loginCommand(const Args &args)
{
    std::vector<std::string_view> words;
    if (!readArguments(args, 0, {}, words).empty() || words.size() != 1 ||
        (words[0] != "add" && words[0] != "remove" && words[0] != "status"))
        return usageError("login takes one of add, remove and status");
    const std::string_view action = words[0];

    // The login item starts the window program, which is installed (and built) next to this tool.
    QByteArray self = LoginItems::runningExecutable();
    const QByteArray program = self.left(self.lastIndexOf('/') + 1) + "vellumry";
    if (self.isEmpty() || ::access(program.constData(), X_OK) != 0) {
        std::fprintf(stderr, "vellumry-cli: the program %s was not found\n", escaped(program).c_str());
        return Failure;
    }
    const LoginItems items(program);
    if (action != "status") {
        Settings settings;
        const ActionResult result = applyLoginPreference(items, settings, action == "add");
        if (!result.ok) {
            std::fprintf(stderr, "vellumry-cli: could not %s the login item in %s: %s\n",
                         action == "add" ? "add" : "remove", escaped(LoginItems::defaultFolder()).c_str(),
                         result.reason.toStdString().c_str());
            return Failure;
        }
    }
    return finish(writeOut(items.isEnabled() ? "enabled\n" : "disabled\n"));
}

} // namespace vellumry::cli
