#include "app/preferences/PreferenceController.h"

#include "app/preferences/RouteColourWell.h"
#include "ui_PreferenceController.h"

#include "core/ControlState.h"
#include "core/Log.h"
#include "core/NotificationCenter.h"
#include "core/NotificationNames.h"
#include "core/ScreenFit.h"
#include "core/Settings.h"
#include "core/SettingsKeys.h"

#include <QApplication>
#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QEvent>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScreen>
#include <QShortcut>
#include <QTimer>

#include <array>

namespace navora {

namespace {

// The character stored under "Units" for each row of unitChoice.
constexpr std::array<char, 4> unitCodes = {'n', 'm', 'i', 's'};

constexpr int maximumArrivalSeconds = 24 * 60 * 60;
constexpr int frameSaveDelayMs = 500;

std::optional<char> unitCodeForRow(int row)
{
    if (row < 0 || row >= static_cast<int>(unitCodes.size()))
        return std::nullopt;
    return unitCodes[static_cast<size_t>(row)];
}

std::optional<int> unitRowForCode(int code)
{
    for (size_t row = 0; row < unitCodes.size(); ++row) {
        if (unitCodes[row] == code)
            return static_cast<int>(row);
    }
    return std::nullopt;
}

// What a receiver may read of control: its tag, and the rest filled in by
// the caller.
ControlState stateOf(const QWidget& control)
{
    ControlState state;
    state.tag = control.property("tag").toInt();
    return state;
}

// A group of the radio buttons inside container, each identified by its
// "row" or "column" property, so the layout, not the order of creation,
// says which button is which.
QButtonGroup* groupButtons(QWidget& container, const char* indexProperty)
{
    auto* group = new QButtonGroup(&container);
    for (QRadioButton* button : container.findChildren<QRadioButton*>())
        group->addButton(button, button->property(indexProperty).toInt());
    return group;
}

void select(QButtonGroup& group, int id)
{
    if (QAbstractButton* button = group.button(id))
        button->setChecked(true);
}

// A short read-only list shows all of itself, without scrolling.
void fitToContents(QTreeWidget& list)
{
    int width = 2 * list.frameWidth();
    for (int column = 0; column < list.columnCount(); ++column) {
        list.resizeColumnToContents(column);
        width += list.columnWidth(column);
    }
    list.setMinimumWidth(width);
    list.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list.setSizeAdjustPolicy(QAbstractScrollArea::AdjustToContents);
    list.setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

QString defaultText(const Settings& settings, std::string_view key, const char* fallback)
{
    const QVariant registered = settings.registeredDefault(key);
    return registered.isValid() ? registered.toString() : QString::fromLatin1(fallback);
}

} // namespace

PreferenceController::PreferenceController(
    Settings& settings, NotificationCenter& center, QWidget* parent, const QString& alertTablePath)
    : QObject(parent)
    , m_settings(settings)
    , m_center(center)
    , m_window(std::make_unique<QWidget>())
    , m_ui(std::make_unique<Ui::PreferenceController>())
{
    m_ui->setupUi(m_window.get());
    QPalette warning = m_ui->prefMessage->palette();
    warning.setColor(QPalette::WindowText, Qt::darkRed);
    m_ui->prefMessage->setPalette(warning);
    makeButtonGroups();
    listAlertNotifications(alertTablePath);
    windowDidLoad();
    connectActions();
    m_frameSaveTimer = new QTimer(this);
    m_frameSaveTimer->setSingleShot(true);
    m_frameSaveTimer->setInterval(frameSaveDelayMs);
    connect(m_frameSaveTimer, &QTimer::timeout, this, [this] { saveFrame(); });
    restoreFrame();
    m_window->installEventFilter(this);
}

PreferenceController::~PreferenceController()
{
    m_window->removeEventFilter(this);
    if (m_window->isVisible() || m_frameSaveTimer->isActive())
        saveFrame();
    // Taking the window down ends the editing of its fields, which is no
    // change of setting: nothing of the window reaches this object any more.
    for (QObject* child : m_window->findChildren<QObject*>())
        child->disconnect(this);
}

std::unique_ptr<PreferenceController> PreferenceController::create(
    Settings& settings, NotificationCenter& center, QWidget* parent)
{
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) {
        Log::line("Error occurred init-ing prefs window");
        return nullptr;
    }
    return std::make_unique<PreferenceController>(settings, center, parent);
}

void PreferenceController::showWindow()
{
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

QWidget& PreferenceController::window() const
{
    return *m_window;
}

void PreferenceController::makeButtonGroups()
{
    m_unitRows = groupButtons(*m_ui->unitChoice, "row");
    m_protocolColumns = groupButtons(*m_ui->gpsdProtocol, "column");
    m_speechColumns = groupButtons(*m_ui->wpSpeechOption, "column");
}

void PreferenceController::windowDidLoad()
{
    m_ui->serverBox->setText(QString::fromStdString(m_settings.stringForKey(TRVgpsdServerKey)));
    m_ui->portBox->setText(QString::fromStdString(m_settings.stringForKey(TRVgpsdPortKey)));
    m_arrivalSeconds = m_settings.integerForKey(TRVArrivalAlertKey);
    m_ui->arrivalTiming->setText(QString::number(m_arrivalSeconds));

    const int unitCode = m_settings.integerForKey(TRVUnitsKey);
    if (const std::optional<int> row = unitRowForCode(unitCode))
        select(*m_unitRows, *row);
    else
        Log::format("Stored units %d are none of n, m, i, s - no unit row selected", unitCode);

    const bool speechOn = m_settings.boolForKey(TRVSpeechOnKey);
    m_ui->speechCheck->setChecked(speechOn);
    showSpeechChoice(speechOn);
    select(*m_speechColumns, m_settings.integerForKey(TRVSayWhatKey));
    select(*m_protocolColumns, m_settings.integerForKey(TRVProtocolKey));
    m_ui->routeColourWell->setColour(m_settings.colourForKey(TRVRouteColourKey));
    m_ui->growlCheck->setChecked(m_settings.boolForKey(TRVGrowlOnKey));
    m_ui->mnFloatCheck->setChecked(m_settings.boolForKey(TRVFloatMiniKey));
}

void PreferenceController::connectActions()
{
    // Only the user's own changes are actions: clicked and idClicked are not
    // emitted when windowDidLoad sets a control.
    connect(m_unitRows, &QButtonGroup::idClicked, this, [this] { selectUnit(); });
    connect(m_ui->serverBox, &QLineEdit::editingFinished, this, [this] { changeServer(); });
    connect(m_ui->portBox, &QLineEdit::editingFinished, this, [this] { changePort(); });
    connect(m_ui->serverBox, &QLineEdit::returnPressed, this, [this] { applyNewServerPort(); });
    connect(m_ui->portBox, &QLineEdit::returnPressed, this, [this] { applyNewServerPort(); });
    connect(m_ui->applyServerPort, &QPushButton::clicked, this, [this] { applyNewServerPort(); });
    // Editing also ends whenever the field loses the focus; only a changed
    // text is a new value.
    connect(m_ui->arrivalTiming, &QLineEdit::editingFinished, this, [this] {
        if (m_ui->arrivalTiming->isModified())
            changeArrivalTime();
    });
    // Every change is stored as it is made: closing is all there is to do.
    connect(m_ui->closeButtons, &QDialogButtonBox::rejected, m_window.get(), &QWidget::close);
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), m_window.get()), &QShortcut::activated, m_window.get(),
        &QWidget::close);
    connect(m_ui->growlCheck, &QCheckBox::clicked, this, [this] { toggleGrowl(); });
    connect(m_ui->mnFloatCheck, &QCheckBox::clicked, this, [this] { toggleMNFloat(); });
    connect(m_ui->speechCheck, &QCheckBox::clicked, this, [this] { toggleSpeech(); });
    connect(m_speechColumns, &QButtonGroup::idClicked, this, [this] { chooseWPSpeech(); });
    connect(m_ui->routeColourWell, &RouteColourWell::colourChosen, this, [this] { setRouteColour(); });
    connect(m_protocolColumns, &QButtonGroup::idClicked, this, [this] { changeProtocol(); });
}

void PreferenceController::listAlertNotifications(const QString& alertTablePath)
{
    QTreeWidget& list = *m_ui->alertNotificationList;
    const AlertTable table = AlertTable::fromFile(alertTablePath);
    for (const std::string& name : table.notificationNames()) {
        QStringList titles;
        QStringList keys;
        for (const auto& [key, entry] : table.entries()) {
            if (entry.notificationName != name)
                continue;
            titles << QString::fromStdString(entry.title.value_or(key));
            keys << QString::fromStdString(key);
        }
        auto* item = new QTreeWidgetItem(&list, {QString::fromStdString(name), titles.join(QStringLiteral(", "))});
        item->setToolTip(1, tr("Alert keys: %1").arg(keys.join(QStringLiteral(", "))));
    }
    if (list.topLevelItemCount() == 0)
        new QTreeWidgetItem(&list, {tr("None"), tr("The alert table could not be read")});
    fitToContents(list);
}

void PreferenceController::showSpeechChoice(bool on)
{
    m_ui->wpSpeechPrompt->setVisible(on);
    m_ui->wpSpeechOption->setVisible(on);
}

void PreferenceController::tell(const QString& message)
{
    m_ui->prefMessage->setText(message);
    Log::line(message.toStdString());
}

void PreferenceController::selectUnit()
{
    const int row = m_unitRows->checkedId();
    const std::optional<char> code = unitCodeForRow(row);
    if (!code) {
        Log::format("Unknown units - row %d - selected", row);
        return;
    }
    m_settings.setInteger(TRVUnitsKey, *code);
    ControlState matrix = stateOf(*m_ui->unitChoice);
    matrix.selectedRow = row;
    m_center.post(TRVUnitsChanged, matrix);
}

void PreferenceController::changeServer()
{
    if (m_ui->serverBox->text().trimmed().isEmpty())
        m_ui->serverBox->setText(defaultText(m_settings, TRVgpsdServerKey, "localhost"));
}

void PreferenceController::changePort()
{
    if (m_ui->portBox->text().trimmed().isEmpty())
        m_ui->portBox->setText(defaultText(m_settings, TRVgpsdPortKey, "2947"));
}

std::optional<QString> PreferenceController::validPort() const
{
    const QString text = m_ui->portBox->text().trimmed();
    bool ok = false;
    const int port = text.toInt(&ok, 10);
    if (!ok || port < 1 || port > 65535 || text.startsWith(QLatin1Char('+')))
        return std::nullopt;
    return QString::number(port);
}

void PreferenceController::applyNewServerPort()
{
    // Return in a field applies before editing has ended, so the refills
    // happen here too: an empty value is never applied.
    changeServer();
    changePort();
    const QString server = m_ui->serverBox->text().trimmed();
    if (server.contains(QRegularExpression(QStringLiteral("\\s")))) {
        tell(tr("GPSd server \"%1\" is not a host name or address - server and port not applied").arg(server));
        return;
    }
    const std::optional<QString> port = validPort();
    if (!port) {
        tell(tr("GPSd port \"%1\" is not a port number from 1 to 65535 - server and port not applied")
                 .arg(m_ui->portBox->text()));
        return;
    }
    m_ui->prefMessage->clear();
    m_ui->serverBox->setText(server);
    m_ui->portBox->setText(*port);
    m_settings.setString(TRVgpsdServerKey, server.toStdString());
    m_settings.setString(TRVgpsdPortKey, port->toStdString());
    m_center.post(TRVServerPortChanged, stateOf(*m_ui->applyServerPort));
}

std::optional<int> PreferenceController::validArrivalSeconds() const
{
    const QString text = m_ui->arrivalTiming->text().trimmed();
    bool ok = false;
    const int seconds = text.toInt(&ok, 10);
    if (!ok || seconds < 0 || seconds > maximumArrivalSeconds)
        return std::nullopt;
    return seconds;
}

void PreferenceController::changeArrivalTime()
{
    const std::optional<int> seconds = validArrivalSeconds();
    if (!seconds) {
        tell(tr("Alert time \"%1\" is not a whole number of seconds from 0 to %2 - keeping %3 seconds")
                 .arg(m_ui->arrivalTiming->text())
                 .arg(maximumArrivalSeconds)
                 .arg(m_arrivalSeconds));
        m_ui->arrivalTiming->setText(QString::number(m_arrivalSeconds));
        return;
    }
    m_ui->prefMessage->clear();
    m_arrivalSeconds = *seconds;
    m_ui->arrivalTiming->setText(QString::number(m_arrivalSeconds));
    m_settings.setInteger(TRVArrivalAlertKey, m_arrivalSeconds);
    m_center.post(TRVArrivalAlertChanged, static_cast<double>(m_arrivalSeconds));
}

void PreferenceController::toggleGrowl()
{
    ControlState box = stateOf(*m_ui->growlCheck);
    box.state = m_ui->growlCheck->isChecked();
    m_settings.setBool(TRVGrowlOnKey, box.state);
    m_center.post(TRVGrowlChanged, box);
}

void PreferenceController::toggleMNFloat()
{
    ControlState box = stateOf(*m_ui->mnFloatCheck);
    box.state = m_ui->mnFloatCheck->isChecked();
    m_settings.setBool(TRVFloatMiniKey, box.state);
    m_center.post(TRVMNFloatChanged, box);
}

void PreferenceController::toggleSpeech()
{
    ControlState box = stateOf(*m_ui->speechCheck);
    box.state = m_ui->speechCheck->isChecked();
    m_settings.setBool(TRVSpeechOnKey, box.state);
    showSpeechChoice(box.state);
    m_center.post(TRVSpeechChanged, box);
}

void PreferenceController::chooseWPSpeech()
{
    const int column = m_speechColumns->checkedId();
    if (column < 0) {
        Log::line("No waypoint speech choice selected - nothing stored");
        return;
    }
    ControlState matrix = stateOf(*m_ui->wpSpeechOption);
    matrix.selectedColumn = column;
    m_settings.setInteger(TRVSayWhatKey, column);
    m_center.post(TRVSpeechChanged, matrix);
}

void PreferenceController::setRouteColour()
{
    const RouteColour colour = m_ui->routeColourWell->colour().translucentIfOpaque();
    m_ui->routeColourWell->setColour(colour);
    if (!m_settings.setColour(TRVRouteColourKey, colour))
        return;
    ControlState well = stateOf(*m_ui->routeColourWell);
    well.colour = colour;
    m_center.post(TRVRouteColourChanged, well);
}

void PreferenceController::changeProtocol()
{
    const int column = m_protocolColumns->checkedId();
    if (column < 0) {
        Log::line("No GPSd driver mode selected - nothing stored");
        return;
    }
    // Read once when the link opens; an open connection keeps its mode.
    m_settings.setInteger(TRVProtocolKey, column);
}

bool PreferenceController::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_window.get()) {
        switch (event->type()) {
        case QEvent::Move:
        case QEvent::Resize:
            if (m_window->isVisible())
                m_frameSaveTimer->start();
            break;
        case QEvent::Close:
        case QEvent::Hide:
            m_frameSaveTimer->stop();
            saveFrame();
            break;
        case QEvent::Show:
            if (!event->spontaneous())
                keepOnScreen();
            break;
        default:
            break;
        }
    }
    return QObject::eventFilter(watched, event);
}

void PreferenceController::restoreFrame()
{
    const QVariant saved = m_settings.store().value(frameAutosaveName);
    if (!saved.isValid())
        return;
    if (saved.typeId() != QMetaType::QByteArray || !m_window->restoreGeometry(saved.toByteArray()))
        Log::line("Saved frame of the preferences window \"PrefWindow\" cannot be read - default position used");
}

// A kept frame may come from a larger or another screen: the window opens
// whole on the screen of the window the user works in (the main window, as
// a rule).
void PreferenceController::keepOnScreen()
{
    const QWidget* active = QApplication::activeWindow();
    const QScreen* screen = active && active != m_window.get() ? active->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect frame = m_window->frameGeometry();
    const QRect placed = ScreenFit::fitted(frame, screen->availableGeometry());
    if (placed.size() != frame.size())
        m_window->resize(m_window->size() - (frame.size() - placed.size()));
    if (placed.topLeft() != frame.topLeft())
        m_window->move(placed.topLeft());
}

void PreferenceController::saveFrame()
{
    m_settings.store().setValue(frameAutosaveName, m_window->saveGeometry());
}

} // namespace navora
