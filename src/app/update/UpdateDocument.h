#pragma once

#include <QByteArray>
#include <QString>

namespace navora {

// The update server's answer: a property list (XML or binary) whose top level
// is a dictionary naming the newest version under "CFBundleVersion". Anything
// else names no version, and problem() says why, for the log.
class UpdateDocument {
public:
    static UpdateDocument parse(const QByteArray& bytes);

    bool hasVersion() const { return m_problem.isEmpty(); }
    const QString& version() const { return m_version; }
    const QString& problem() const { return m_problem; }

    // Longest version text accepted; a longer one is no version but junk.
    static constexpr qsizetype maxVersionLength = 64;

private:
    UpdateDocument(QString version, QString problem);

    QString m_version;
    QString m_problem;
};

} // namespace navora
