#include "quirnel/MenuCommands.h"

#include <map>

namespace app {

namespace {
std::map<QString, MenuWindow> &commands()
{
    static std::map<QString, MenuWindow> all;
    return all;
}
}

void MenuCommands::wire(const QString &command, MenuWindow window)
{
    commands()[command] = std::move(window);
}

void MenuCommands::unwire(const QString &command)
{
    commands().erase(command);
}

const MenuWindow *MenuCommands::find(const QString &command)
{
    auto found = commands().find(command);
    return found == commands().end() ? nullptr : &found->second;
}

} // namespace app
