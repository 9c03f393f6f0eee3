#include "EnumPort.h"

#include <QSerialPortInfo>

QStringList CEnumPort::Ports() {
    QStringList names;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        names.append(info.portName());
    }
    return Normalised(std::move(names));
}

QStringList CEnumPort::Normalised(QStringList names) {
    names.removeAll(QString());
    names.sort();
    names.removeDuplicates();
    return names;
}
