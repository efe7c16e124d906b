#pragma once

class QCoreApplication;

namespace ui {

// Loads Qt's Italian texts (standard buttons "Sì", "No", "Annulla", the
// context menus of the text boxes) from the system's Qt translations.
// Returns false when they are not installed; the program then runs with
// Qt's English button texts.
bool installItalianTranslations(QCoreApplication &application);

} // namespace ui
