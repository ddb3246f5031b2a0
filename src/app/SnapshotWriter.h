#pragma once

#include <QString>

#include <functional>
#include <map>
#include <string>

namespace navora {

// Pictures of the program as the user sees it, for scripts and tests: every
// visible top-level window as "<seq>-<objectName>.png" in a folder, and what
// the GPS windows' fields show as "<seq>-fields.json" (and the whole screen
// as "<seq>-screen.png" where it can be read), then the log line
// "Snapshot <seq> written". seq counts from 001.
class SnapshotWriter {
public:
    using FieldSource = std::function<std::map<std::string, std::string>()>;

    SnapshotWriter(QString folder, FieldSource fields);

    // Writes one snapshot; false (after a log line) when the folder or a
    // file cannot be written.
    bool write();
    int sequence() const { return m_sequence; }

    static QString sequenceText(int sequence);

private:
    bool writeFields(const QString& prefix) const;

    QString m_folder;
    FieldSource m_fields;
    int m_sequence = 0;
};

} // namespace navora
