#pragma once

#include <QString>

namespace tessel {

// Qt's own texts (the buttons of message boxes, every text of the file
// dialog) follow language, named in English as the message table names it
// ("German", "French"): Qt's translations for that language, as the system
// installs them, are loaded in place of any loaded before. English, and a
// language the system has no translations for, leave Qt's texts English.
// Returns whether translations were loaded.
bool UseQtTranslations(const QString &language);

} // namespace tessel
