#pragma once

#include <QStringList>

// The serial ports of this machine, as the settings dialog offers them: the device names the
// system reports (ttyUSB0, ttyACM0, ttyS0, ...), each once, sorted by text.
class CEnumPort {
public:
    [[nodiscard]] static QStringList Ports();
    /// Sorts names by text and drops repeats and empty names.
    [[nodiscard]] static QStringList Normalised(QStringList names);
};
