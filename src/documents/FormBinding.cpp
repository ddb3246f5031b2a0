#include "documents/FormBinding.h"

#include "documents/FormState.h"

#include "core/QtText.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QWidget>

namespace navora {

namespace {

// The logic names its buttons in plain words; the window gives each the
// letter that presses it with Alt.
QString withMnemonic(const QString& text)
{
    static const std::pair<const char*, const char*> kMnemonics[] = {
        {"Add", "&Add"},
        {"Update", "&Update"},
        {"Insert", "&Insert"},
        {"Change", "C&hange"},
        {"Activate", "Ac&tivate"},
        {"Select", "&Select"},
        {"Auto-join nearest route segment", "Auto-&join nearest route segment"},
    };
    if (text.contains('&'))
        return text;
    for (const auto& [plain, marked] : kMnemonics) {
        if (text == QLatin1String(plain))
            return QString::fromUtf8(marked);
    }
    if (text.startsWith(QLatin1String("Join segment ")))
        return '&' + text;
    return text;
}

} // namespace

FormBinding::FormBinding(FormState& form, QList<QWidget*> roots, QObject* parent)
    : QObject(parent)
    , m_form(form)
    , m_roots(std::move(roots))
{
    // The pop-ups start on the layout's selection; the logic reads it from
    // the form.
    for (QWidget* root : m_roots) {
        for (QComboBox* box : root->findChildren<QComboBox*>()) {
            const std::string name = box->objectName().toStdString();
            if (!name.empty() && !m_form.hasText(name))
                m_form.takeUserText(name, box->currentText().toStdString());
        }
    }
    m_form.setListener([this](std::string_view name) { apply(name); });
    applyAll();
}

FormBinding::~FormBinding()
{
    m_form.setListener({});
}

QWidget* FormBinding::control(std::string_view name) const
{
    const QString objectName = toQString(name);
    for (QWidget* root : m_roots) {
        if (root->objectName() == objectName)
            return root;
        if (auto* child = root->findChild<QWidget*>(objectName))
            return child;
    }
    return nullptr;
}

void FormBinding::apply(std::string_view name) const
{
    QWidget* widget = control(name);
    if (!widget)
        return;
    if (m_form.hasEnabled(name))
        widget->setEnabled(m_form.isEnabled(name));
    if (!m_form.hasText(name))
        return;
    const QString text = QString::fromStdString(m_form.text(name));
    if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
        if (edit->text() != text)
            edit->setText(text);
    } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        button->setText(withMnemonic(text));
    } else if (auto* box = qobject_cast<QGroupBox*>(widget)) {
        box->setTitle(text);
    } else if (auto* popUp = qobject_cast<QComboBox*>(widget)) {
        const int index = popUp->findText(text);
        if (index >= 0)
            popUp->setCurrentIndex(index);
    } else if (auto* label = qobject_cast<QLabel*>(widget)) {
        label->setText(text);
    }
}

void FormBinding::applyAll() const
{
    for (QWidget* root : m_roots) {
        for (QWidget* widget : root->findChildren<QWidget*>()) {
            if (!widget->objectName().isEmpty())
                apply(widget->objectName().toStdString());
        }
    }
}

} // namespace navora
