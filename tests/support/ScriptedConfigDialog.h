#pragma once

#include <functional>

#include <QTimer>

#include "dialogs/ConfigDialog.h"

namespace tessel::test {

// A configuration dialog that ends by itself as soon as it is shown: OK after
// running its save, or Cancel.
class ScriptedConfigDialog final : public ConfigDialog
{
public:
    enum class Ending {
        Ok,
        Cancel
    };

    ScriptedConfigDialog(Session &session, Ending ending, std::function<void()> save = {})
        : ConfigDialog(session, nullptr)
    {
        QTimer::singleShot(0, this, [this, ending, save] {
            if (ending == Ending::Cancel)
                return reject();
            if (save)
                save();
            accept();
        });
    }
};

} // namespace tessel::test
