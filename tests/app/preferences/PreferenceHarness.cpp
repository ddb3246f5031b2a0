#include "app/preferences/PreferenceHarness.h"

#include "core/NotificationNames.h"
#include "support/QtApplication.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QTest>

namespace navora::test {

PreferenceHarness::PreferenceHarness(const StoredValues& stored, const QString& alertTablePath)
    : m_settings(m_store)
{
    ensureWidgetApplication();
    m_settings.registerDefaults();
    for (const auto& [key, value] : stored)
        m_store.setValue(key, value);
    m_controller = std::make_unique<PreferenceController>(m_settings, m_center, nullptr, alertTablePath);
    m_controller->showWindow();
    QApplication::setActiveWindow(&m_controller->window());
}

PreferenceHarness::~PreferenceHarness()
{
    m_controller.reset();
}

std::map<std::string, QVariant> PreferenceHarness::storedValues() const
{
    std::map<std::string, QVariant> values;
    for (const std::string& key : m_store.keys())
        values[key] = m_store.value(key);
    return values;
}

void PreferenceHarness::typeAndReturn(const char* field, const QString& text)
{
    auto& edit = control<QLineEdit>(field);
    edit.setFocus();
    edit.selectAll();
    QTest::keyClick(&edit, Qt::Key_Delete);
    QTest::keyClicks(&edit, text);
    QTest::keyClick(&edit, Qt::Key_Return);
}

void PreferenceHarness::emptyAndLeave(const char* field)
{
    auto& edit = control<QLineEdit>(field);
    edit.setFocus();
    edit.selectAll();
    QTest::keyClick(&edit, Qt::Key_Delete);
    control<QWidget>("growlCheck").setFocus();
}

void PreferenceHarness::click(const char* button)
{
    // Near the left edge: a check box or radio button stretched by its layout
    // answers clicks only on its indicator and text.
    auto& target = control<QAbstractButton>(button);
    QTest::mouseClick(&target, Qt::LeftButton, {}, QPoint(6, target.height() / 2));
}

} // namespace navora::test
