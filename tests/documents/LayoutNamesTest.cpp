#include "core/QtText.h"
#include "documents/DocumentFieldNames.h"

#include <QFile>
#include <QMap>
#include <QStringList>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include <string>

namespace navora {
namespace {

// What a layout file holds: each named widget or action with its "tag" and
// "columns" properties.
struct Control {
    std::optional<int> tag;
    QString columns;
};

QMap<QString, Control> readLayout(const char* name)
{
    QMap<QString, Control> controls;
    QFile file(QStringLiteral(NAVORA_SOURCE_DIR "/src/documents/layouts/") + name);
    if (!file.open(QIODevice::ReadOnly)) {
        ADD_FAILURE() << "cannot read layout " << name;
        return controls;
    }
    QXmlStreamReader xml(&file);
    QStringList open; // names of the enclosing widgets
    QString property;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            const auto element = xml.name();
            if (element == QLatin1String("widget") || element == QLatin1String("action")) {
                open.push_back(xml.attributes().value("name").toString());
                controls[open.back()];
            } else if (element == QLatin1String("property")) {
                property = xml.attributes().value("name").toString();
            } else if (!open.isEmpty() && (element == QLatin1String("number") || element == QLatin1String("string"))) {
                const QString text = xml.readElementText();
                if (property == QLatin1String("tag"))
                    controls[open.back()].tag = text.toInt();
                else if (property == QLatin1String("columns"))
                    controls[open.back()].columns = text;
            }
        } else if (xml.isEndElement()
            && (xml.name() == QLatin1String("widget") || xml.name() == QLatin1String("action"))) {
            open.pop_back();
        }
    }
    EXPECT_FALSE(xml.hasError()) << name << ": " << xml.errorString().toStdString();
    return controls;
}

template <typename Names> void expectNames(const char* layout, const Names& names)
{
    const QMap<QString, Control> controls = readLayout(layout);
    for (const std::string_view name : names)
        EXPECT_TRUE(controls.contains(toQString(name))) << layout << " has no control " << name;
}

TEST(LayoutNamesTest, EveryNameTheLogicUsesIsInItsLayout)
{
    expectNames("WaypointDocument.ui", field::waypointWindowNames);
    expectNames("WaypointDetailPanel.ui", field::waypointDetailNames);
    expectNames("NearestPanel.ui", field::nearestNames);
    expectNames("RouteDocument.ui", field::routeWindowNames);
    expectNames("RouteDetailPanel.ui", field::routeDetailNames);
    const QMap<QString, Control> menu = readLayout("MainMenu.ui");
    for (const char* name : {"newDocument", "openNewWaypointsList", "openDocument", "openRecentMenu", "closeDocument",
             "saveDocument", "saveDocumentAs", "revertDocumentToSaved", "quit"})
        EXPECT_TRUE(menu.contains(name)) << name;
}

// The tag tells the decimal field (0) from the degree fields. The pop-ups'
// items are used by the window tests (DocumentWindowsTest).
TEST(LayoutNamesTest, TheEntryFieldsCarryTheirTags)
{
    const QMap<QString, Control> detail = readLayout("WaypointDetailPanel.ui");
    for (const char* name : {"wpLatitude", "wpLongitude"})
        EXPECT_EQ(detail[name].tag, 0) << name;
    for (const char* name : {"wpLatDeg", "wpLatMin", "wpLatSec", "wpNS", "wpLonDeg", "wpLonMin", "wpLonSec", "wpEW"}) {
        ASSERT_TRUE(detail[name].tag.has_value()) << name;
        EXPECT_NE(*detail[name].tag, 0) << name;
    }
}

TEST(LayoutNamesTest, TablesNameKnownColumns)
{
    const QStringList fields{"wpName", "wpComment", "latitude", "longitude", "altitude"};
    const struct {
        const char* layout;
        const char* table;
        QStringList extra;
    } tables[] = {
        {"WaypointDocument.ui", "wpTable", {}},
        {"NearestPanel.ui", "nearestTable", {"distance"}},
        {"RouteDocument.ui", "routeTable", {"index", "legDistance", "legCourse", "totalDistance"}},
    };
    for (const auto& row : tables) {
        const QString columns = readLayout(row.layout)[row.table].columns;
        ASSERT_FALSE(columns.isEmpty()) << row.table;
        for (const QString& column : columns.split(',')) {
            EXPECT_TRUE(fields.contains(column) || row.extra.contains(column))
                << row.table << ": " << column.toStdString();
        }
        for (const QString& column : row.extra)
            EXPECT_TRUE(columns.split(',').contains(column)) << row.table;
    }
}

} // namespace
} // namespace navora
