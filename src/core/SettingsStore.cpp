#include "core/SettingsStore.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariantList>

namespace navora {

namespace {

QString detachedText(const QString& text)
{
    return QString(text.constData(), text.size());
}

} // namespace

QVariant SettingsStore::detached(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::QString:
        return detachedText(value.toString());
    case QMetaType::QByteArray: {
        const QByteArray bytes = value.toByteArray();
        return QByteArray(bytes.constData(), bytes.size());
    }
    case QMetaType::QStringList: {
        QStringList copy;
        for (const QString& text : value.toStringList())
            copy.append(detachedText(text));
        return copy;
    }
    case QMetaType::QVariantList: {
        QVariantList copy;
        for (const QVariant& element : value.toList())
            copy.append(detached(element));
        return copy;
    }
    default:
        return value;
    }
}

} // namespace navora
