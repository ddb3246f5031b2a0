#include "core/QtText.h"
#include "documents/DocumentFieldNames.h"

#include <QFile>
#include <QMap>
#include <QStringList>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include <span>
#include <string>
#include <vector>

namespace navora {
namespace {

// What a layout file holds: each named widget or action with its "tag" and
// "columns" properties (Designer writes a widget's properties before its children).
struct Control {
    std::optional<int> tag;
    QString columns;
};

QMap<QString, Control> readLayout(const char* name)
{
    QMap<QString, Control> controls;
    QFile file(QStringLiteral(NAVORA_SOURCE_DIR "/src/documents/layouts/") + name);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name;
    QXmlStreamReader xml(&file);
    QString control, property;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const auto element = xml.name();
        if (element == QLatin1String("widget") || element == QLatin1String("action"))
            controls[control = xml.attributes().value("name").toString()];
        else if (element == QLatin1String("property"))
            property = xml.attributes().value("name").toString();
        else if (property == QLatin1String("tag") && element == QLatin1String("number"))
            controls[control].tag = xml.readElementText().toInt();
        else if (property == QLatin1String("columns") && element == QLatin1String("string"))
            controls[control].columns = xml.readElementText();
    }
    EXPECT_FALSE(xml.hasError()) << name << ": " << xml.errorString().toStdString();
    return controls;
}

TEST(LayoutNamesTest, EveryNameTheLogicUsesIsInItsLayout)
{
    const std::vector<std::string_view> menu = {"newDocument", "openNewWaypointsList", "openDocument", "openRecentMenu",
        "closeDocument", "saveDocument", "saveDocumentAs", "revertDocumentToSaved", "quit"};
    const std::pair<const char*, std::span<const std::string_view>> layouts[]
        = {{"WaypointDocument.ui", field::waypointWindowNames}, {"WaypointDetailPanel.ui", field::waypointDetailNames},
            {"NearestPanel.ui", field::nearestNames}, {"RouteDocument.ui", field::routeWindowNames},
            {"RouteDetailPanel.ui", field::routeDetailNames}, {"MainMenu.ui", menu}};
    for (const auto& [layout, names] : layouts) {
        const QMap<QString, Control> controls = readLayout(layout);
        for (const std::string_view name : names)
            EXPECT_TRUE(controls.contains(toQString(name))) << layout << " has no control " << name;
    }
    // The tag tells the decimal field (0) from the degree fields.
    const QMap<QString, Control> detail = readLayout("WaypointDetailPanel.ui");
    for (const char* name : {"wpLatitude", "wpLongitude", "wpLatDeg", "wpLatMin", "wpLatSec", "wpNS", "wpLonDeg",
             "wpLonMin", "wpLonSec", "wpEW"})
        EXPECT_EQ(detail[name].tag.value_or(0) == 0, std::string_view(name).ends_with("itude")) << name;
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
