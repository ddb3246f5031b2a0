#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

namespace navora::test {

// Answers the application's modal message boxes as a user would: notes what
// each one says and clicks the button with the given text.
class ModalAnswerer : public QObject {
public:
    struct Seen {
        QString title;
        QString text;
        QStringList buttons;
        QString defaultButton;
    };

    explicit ModalAnswerer(QString answer);

    const QList<Seen>& seen() const { return m_seen; }

private:
    void look();

    QString m_answer;
    QTimer m_timer;
    QList<Seen> m_seen;
};

} // namespace navora::test
