#pragma once

#include <QWidget>
#include <typeindex>

namespace ui {

// The default instance of each window class: created on first use, kept
// while the window exists, forgotten when it is destroyed (a later use
// creates a fresh one), as the windows of the system always had.
//
//   frmCarico &load = ui::WindowRegistry::defaultInstance<frmCarico>();
class WindowRegistry {
public:
    template <class W>
    static W &defaultInstance()
    {
        if (W *existing = existingInstance<W>())
            return *existing;
        auto *created = new W();
        remember(typeid(W), created);
        return *created;
    }

    // The default instance if it exists, else nullptr; never creates one.
    template <class W>
    static W *existingInstance()
    {
        return static_cast<W *>(lookup(typeid(W)));
    }

    // Makes an existing window the default instance of its class (the main
    // window, which main() creates itself).
    template <class W>
    static void adopt(W &window)
    {
        remember(typeid(W), &window);
    }

private:
    static QWidget *lookup(std::type_index type);
    static void remember(std::type_index type, QWidget *window);
};

} // namespace ui
