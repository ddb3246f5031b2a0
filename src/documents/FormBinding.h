#pragma once

#include <QList>
#include <QObject>

#include <string_view>

class QWidget;

namespace navora {

class FormState;

// Shows a FormState in real controls: each field goes to the control whose
// objectName is the field's name, found under the given top-level widgets.
// A text field shows the text, a button or a group box takes it as title, a
// pop-up selects the item with that title; every control takes the enabled
// state. The binding never reads a control back: the window hands what the
// user types to the form itself (FormState::takeUserText).
class FormBinding : public QObject {
    Q_OBJECT
public:
    FormBinding(FormState& form, QList<QWidget*> roots, QObject* parent = nullptr);
    ~FormBinding() override;

    // The control named name, or nullptr.
    QWidget* control(std::string_view name) const;
    void apply(std::string_view name) const;
    void applyAll() const;

private:
    FormState& m_form;
    QList<QWidget*> m_roots;
};

} // namespace navora
