#pragma once

#include <QString>

namespace tessel {

// Qt's own texts (the buttons of message boxes, every text of the file
// dialog, its dates and file types) follow language, named in English as the
// message table names it ("German", "French"): it becomes the default locale,
// and Qt's translations for it, as the system installs them, are loaded in
// place of any loaded before. English, and a language the system has no
// translations for, leave Qt's texts English. Returns whether translations
// were loaded.
bool UseQtTranslations(const QString &language);

} // namespace tessel
