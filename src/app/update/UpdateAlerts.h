#pragma once

#include <QString>

class QWidget;

namespace navora {

// The update check's three modal alerts, as QMessageBoxes.
class UpdateAlerts {
public:
    // "Update Available"; true when the user chose the download page.
    static bool presentUpdateAvailable(QWidget* parent, const QString& serverVersion, const QString& ownVersion);
    // "No Updates Available".
    static void presentNoUpdate(QWidget* parent);
    // "Unable to Connect".
    static void presentConnectionError(QWidget* parent);
};

} // namespace navora
