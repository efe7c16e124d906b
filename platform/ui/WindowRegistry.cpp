#include "ui/WindowRegistry.h"

#include <QPointer>
#include <map>

namespace ui {

namespace {
// QPointer forgets a window by itself when it is destroyed.
std::map<std::type_index, QPointer<QWidget>> &instances()
{
    static std::map<std::type_index, QPointer<QWidget>> all;
    return all;
}
}

QWidget *WindowRegistry::lookup(std::type_index type)
{
    auto found = instances().find(type);
    return found == instances().end() ? nullptr : found->second.data();
}

void WindowRegistry::remember(std::type_index type, QWidget *window)
{
    instances()[type] = window;
}

} // namespace ui
