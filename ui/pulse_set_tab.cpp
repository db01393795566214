#include "pulse_set_tab.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <cmath>
#include <optional>

#include "base/error.h"
#include "base/number_text.h"
#include "ui/stale_marks.h"
#include "ui/widgets/numeric_text.h"
#include "ui/widgets/table_text.h"

namespace pulsefir::ui {

namespace {

constexpr QRgb CurveColor = qRgb(0, 0, 160);
constexpr QRgb ChosenColor = qRgb(220, 0, 0);
constexpr QRgb WorstRowColor = qRgb(255, 210, 200);
constexpr int SignalRow = 0; // the current signal, not a file
const QString NoDesignText = QStringLiteral("Последний расчёт МНК по набору: нет");
const QString DesignText = QStringLiteral("Последний расчёт МНК по набору");
const QString StaleMark = QString::fromUtf8(StaleMarkText);
const QString DetachText = QStringLiteral("В отдельном окне");
const QString AttachText = QStringLiteral("Вернуть во вкладку");
constexpr int ListMinimumHeight = 70;  // px in the tab
constexpr int ListMaximumHeight = 100; // px in the tab
constexpr int ShownRows = 8;           // of the list and of the table, in the window of their own
constexpr int WindowMargin = 40;       // px of the list's and table's frames, headers and bar
constexpr QSize WindowSize(900, 0);    // px wide; the height follows from the rows

QTableWidgetItem *readOnly(const QString &text) {
    auto *item = new QTableWidgetItem(text);
    item->setToolTip(text); // the whole of a name the column cuts
    item->setFlags(item->flags() & ~Qt::ItemIsEditable);
    return item;
}

} // namespace

PulseSetTab::PulseSetTab(QWidget *parent) : QWidget(parent) {
    auto *tabLayout = new QVBoxLayout(this);
    tabLayout->setContentsMargins(0, 0, 0, 0);
    m_body = new QWidget(this);
    m_body->setObjectName("PulseSetBody");
    tabLayout->addWidget(m_body);
    auto *layout = new QVBoxLayout(m_body);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(3);

    PulseListTable = new QTableWidget(0, 2, m_body);
    PulseListTable->setObjectName("PulseListTable");
    PulseListTable->setHorizontalHeaderLabels({"Импульс", "для проверки"});
    PulseListTable->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    PulseListTable->horizontalHeader()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    PulseListTable->verticalHeader()->setVisible(false);
    PulseListTable->verticalHeader()->setDefaultSectionSize(20);
    PulseListTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    PulseListTable->setMinimumHeight(ListMinimumHeight);
    widgets::keepCellsOnOneLine(PulseListTable);
    PulseListTable->setMaximumHeight(ListMaximumHeight);
    PulseListTable->insertRow(SignalRow);
    PulseListTable->setItem(SignalRow, 0, readOnly("Текущий сигнал"));
    auto *signalCheck = readOnly(QString());
    signalCheck->setFlags(Qt::NoItemFlags); // the signal is always a training pulse
    PulseListTable->setItem(SignalRow, 1, signalCheck);

    AddPulseBitBtn = new QPushButton("Добавить…", m_body);
    AddPulseBitBtn->setObjectName("AddPulseBitBtn");
    RemovePulseBitBtn = new QPushButton("Удалить", m_body);
    RemovePulseBitBtn->setObjectName("RemovePulseBitBtn");
    AddPathBitBtn = new QPushButton("Добавить тракт…", this);
    AddPathBitBtn->setObjectName("AddPathBitBtn");
    AddPathBitBtn->setToolTip("Добавить текущий сигнал, перенесённый на каждое расстояние, температуру и "
                              "влажность сетки ниже (без задержки), импульсами для расчёта");
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(AddPulseBitBtn);
    buttons->addWidget(RemovePulseBitBtn);
    buttons->addWidget(AddPathBitBtn);
    buttons->addStretch(1);
    DetachBitBtn = new QPushButton(DetachText, m_body);
    DetachBitBtn->setObjectName("DetachBitBtn");
    buttons->addWidget(DetachBitBtn);

    CurveLabel = new QLabel("L-кривая: lg энергии фильтра от lg невязки (при «авто»)", m_body);
    CurveLabel->setObjectName("CurveLabel");
    CurveLabel->setWordWrap(true);
    RegularizationChart = new widgets::TChart(m_body);
    RegularizationChart->setObjectName("RegularizationChart");
    RegularizationChart->setAxisCaptions("lg невязки", "lg |h|²");
    RegularizationChart->setCsvXHeader("lg невязки");
    RegularizationChart->setMinimumHeight(110);
    CurveSeries = RegularizationChart->addSeries("CurveSeries", QColor(CurveColor));
    CurveSeries->setCaption("L-кривая");
    CurveSeries->setPointerVisible(false);
    ChosenSeries = RegularizationChart->addSeries("ChosenSeries", QColor(ChosenColor));
    ChosenSeries->setCaption("Выбранное μ");
    ChosenSeries->setPointerVisible(true);
    ChosenSeries->setPointerSize(4, 4);

    PulseFitTable = new QTableWidget(0, 7, m_body);
    PulseFitTable->setObjectName("PulseFitTable");
    PulseFitTable->setHorizontalHeaderLabels(
        {"Импульс", "Роль", "Невязка", "Ширина\n-6 дБ [мкс]", "Длит.\n-20 дБ [мкс]", "Боковой\nуровень [дБ]", "Пик"});
    PulseFitTable->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    PulseFitTable->horizontalHeader()->setStretchLastSection(true);
    PulseFitTable->verticalHeader()->setVisible(false);
    PulseFitTable->verticalHeader()->setDefaultSectionSize(20);
    PulseFitTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    widgets::keepCellsOnOneLine(PulseFitTable);
    PulseFitTable->setMinimumHeight(ListMinimumHeight);
    PulseFitLabel = new QLabel(NoDesignText, m_body);
    PulseFitLabel->setObjectName("PulseFitLabel");

    PathSetPanel = new QWidget(this);
    PathSetPanel->setObjectName("PathSetPanel");

    layout->addWidget(PulseListTable);
    layout->addLayout(buttons);
    layout->addWidget(PathSetPanel);
    layout->addWidget(CurveLabel);
    layout->addWidget(RegularizationChart, 3);
    layout->addWidget(PulseFitLabel);
    layout->addWidget(PulseFitTable, 2);

    AddPulseDialog.kind = widgets::FileDialogRequest::Kind::OpenSeveral;
    AddPulseDialog.title = "Добавить импульсы в набор";
    AddPulseDialog.filter = "Импульсы (*.csv *.txt *.dat *.wav *.npy);;Все файлы (*)";
    AddPulseDialog.initialDirectory = QDir::toNativeSeparators(QCoreApplication::applicationDirPath() + "/");

    connect(AddPulseBitBtn, &QPushButton::clicked, this, &PulseSetTab::AddPulseBitBtnClick);
    connect(RemovePulseBitBtn, &QPushButton::clicked, this, &PulseSetTab::RemovePulseBitBtnClick);
    connect(AddPathBitBtn, &QPushButton::clicked, this, &PulseSetTab::AddPathBitBtnClick);
    connect(DetachBitBtn, &QPushButton::clicked, this, &PulseSetTab::DetachBitBtnClick);
    // A file's role ticked or not changes the set as much as a file added.
    connect(PulseListTable, &QTableWidget::itemChanged, this, &PulseSetTab::listChanged);
}

// A window of its own for the set, resizable, that gives the body back when it is closed.
class PulseSetWindow : public QWidget {
  public:
    explicit PulseSetWindow(std::function<void()> closed) : QWidget(nullptr, Qt::Window), m_closed(std::move(closed)) {
        setObjectName("PulseSetWindow");
        setWindowTitle("Набор импульсов");
        // The set's body scrolls where the screen is lower than it (the path grid and the curve
        // under eight rows of each table).
        m_scroll = new QScrollArea(this);
        m_scroll->setWidgetResizable(true);
        m_scroll->setFrameShape(QFrame::NoFrame);
        (new QVBoxLayout(this))->addWidget(m_scroll);
    }
    void setBody(QWidget *body) { m_scroll->setWidget(body); }
    QWidget *takeBody() { return m_scroll->takeWidget(); }

  protected:
    void closeEvent(QCloseEvent *event) override {
        m_closed();
        QWidget::closeEvent(event);
    }

  private:
    std::function<void()> m_closed;
    QScrollArea *m_scroll = nullptr;
};

PulseSetTab::~PulseSetTab() = default;

void PulseSetTab::DetachBitBtnClick() {
    if (m_window) {
        m_window->close();
        return;
    }
    auto detached = std::make_unique<PulseSetWindow>([this] { attach(); });
    detached->setBody(m_body);
    m_window = std::move(detached);
    // Eight rows of the list and of the table, every column of the table.
    const int row = PulseListTable->verticalHeader()->defaultSectionSize();
    PulseListTable->setMaximumHeight(QWIDGETSIZE_MAX);
    PulseListTable->setMinimumHeight(ShownRows * row + PulseListTable->horizontalHeader()->sizeHint().height() +
                                     2 * PulseListTable->frameWidth());
    PulseFitTable->setMinimumHeight(ShownRows * row + PulseFitTable->horizontalHeader()->sizeHint().height() +
                                    PulseFitTable->horizontalScrollBar()->sizeHint().height() +
                                    2 * PulseFitTable->frameWidth());
    DetachBitBtn->setText(AttachText);
    const QScreen *screen = window()->screen() ? window()->screen() : QGuiApplication::primaryScreen();
    const QRect available = screen->availableGeometry();
    const QSize wanted(WindowSize.width(), m_body->sizeHint().height() + WindowMargin);
    m_window->resize(wanted.boundedTo(available.size() - QSize(WindowMargin, 2 * WindowMargin)));
    m_window->move(available.center() - m_window->rect().center());
    m_window->show();
}

void PulseSetTab::attach() {
    if (!m_window)
        return;
    static_cast<PulseSetWindow *>(m_window.get())->takeBody();
    layout()->addWidget(m_body);
    PulseListTable->setMinimumHeight(ListMinimumHeight);
    PulseListTable->setMaximumHeight(ListMaximumHeight);
    PulseFitTable->setMinimumHeight(ListMinimumHeight);
    DetachBitBtn->setText(DetachText);
    m_window.release()->deleteLater(); // closing: it goes once its close event has been handled
}

void PulseSetTab::markResult(bool stale, const QString &note) {
    if (PulseFitTable->rowCount() == 0) {
        PulseFitLabel->setText(NoDesignText);
        PulseFitLabel->setToolTip(QString());
        return;
    }
    PulseFitLabel->setText(DesignText + (stale ? StaleMark : QString()));
    PulseFitLabel->setToolTip(note);
    greyCells(PulseFitTable, stale);
}

project::PulseSetList PulseSetTab::list() const {
    project::PulseSetList result;
    for (int row = SignalRow + 1; row < PulseListTable->rowCount(); ++row) {
        const QTableWidgetItem *name = PulseListTable->item(row, 0);
        const bool check = PulseListTable->item(row, 1)->checkState() == Qt::Checked;
        const QVariant path = name->data(Qt::UserRole);
        if (path.metaType() == QMetaType::fromType<project::PathConditions>()) {
            const auto c = path.value<project::PathConditions>();
            result.push_back({project::pathMemberName(c, '.'), check, c});
        } else {
            result.push_back({name->text().toStdString(), check, std::nullopt});
        }
    }
    return result;
}

void PulseSetTab::setList(const project::PulseSetList &entries) {
    PulseListTable->setRowCount(SignalRow + 1);
    for (const project::PulseSetEntry &entry : entries)
        if (entry.path)
            addPath(*entry.path, entry.check);
        else
            addFile(QString::fromStdString(entry.fileName), entry.check);
    emit listChanged();
}

void PulseSetTab::addPath(const project::PathConditions &conditions, bool check) {
    const char decimal = widgets::NumberSeparators::current().decimal.toLatin1();
    addFile(QString::fromStdString(project::pathMemberName(conditions, decimal ? decimal : '.')), check);
    PulseListTable->item(PulseListTable->rowCount() - 1, 0)->setData(Qt::UserRole, QVariant::fromValue(conditions));
}

void PulseSetTab::AddPathBitBtnClick() {
    guard([&] {
        for (const project::PathConditions &conditions : pathGrid())
            addPath(conditions, false);
        emit listChanged();
    });
}

void PulseSetTab::addFile(const QString &fileName, bool check) {
    {
        // The row is told as a change only once it is whole.
        const QSignalBlocker quietTable(PulseListTable);
        addRow(fileName, check);
    }
    emit listChanged();
}

void PulseSetTab::addRow(const QString &fileName, bool check) {
    const int row = PulseListTable->rowCount();
    PulseListTable->insertRow(row);
    PulseListTable->setItem(row, 0, readOnly(fileName));
    auto *flag = new QTableWidgetItem;
    flag->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
    flag->setCheckState(check ? Qt::Checked : Qt::Unchecked);
    PulseListTable->setItem(row, 1, flag);
}

std::vector<io::SetPulseData> PulseSetTab::readPulses() const {
    std::vector<io::SetPulseData> pulses;
    for (const project::PulseSetEntry &entry : list())
        pulses.push_back(entry.path ? pathMember(*entry.path) : io::readSetPulse(requestFor(entry.fileName)));
    return pulses;
}

void PulseSetTab::AddPulseBitBtnClick() {
    const auto chosen = widgets::chooseFiles(this, AddPulseDialog);
    if (!chosen)
        return;
    AddPulseDialog.fileName = chosen->back();
    // Each file read once now, so that one the readers refuse is reported when it is chosen; the
    // others are added all the same, and the refusals are told together, each by its file's name.
    std::string refused;
    for (const QString &name : *chosen)
        guard([&] {
            try {
                io::readSetPulse(requestFor(QFile::encodeName(name).toStdString()));
                addFile(name, false);
            } catch (const base::Error &error) {
                refused += (refused.empty() ? "" : "\n") + std::string(error.what());
            }
        });
    if (!refused.empty())
        guard([&] { throw base::Error(refused); });
}

void PulseSetTab::RemovePulseBitBtnClick() {
    const int row = PulseListTable->currentRow();
    if (row > SignalRow) {
        PulseListTable->removeRow(row);
        emit listChanged();
    }
}

void PulseSetTab::showDesign(const core::SetDesignOutcome &outcome, const project::PulseSetList &designed) {
    CurveSeries->clearPoints();
    ChosenSeries->clearPoints();
    for (const core::RegularisationPoint &point : outcome.Curve)
        if (point.Residual > 0 && point.Energy > 0)
            CurveSeries->addPoint(std::log10(point.Residual), std::log10(point.Energy), QColor(CurveColor));
    if (outcome.Chosen >= 0) {
        const core::RegularisationPoint &chosen = outcome.Curve[static_cast<std::size_t>(outcome.Chosen)];
        if (chosen.Residual > 0 && chosen.Energy > 0)
            ChosenSeries->addPoint(std::log10(chosen.Residual), std::log10(chosen.Energy), QColor(ChosenColor));
        CurveLabel->setText("L-кривая: lg энергии фильтра от lg невязки; выбрано μ = " +
                            widgets::significantText(chosen.Mu, 6) + " (обобщённая перекрёстная проверка)");
    } else {
        CurveLabel->setText("L-кривая: lg энергии фильтра от lg невязки (при «авто»)");
    }
    RegularizationChart->update();

    PulseFitTable->setRowCount(0);
    m_worstRow = -1;
    for (std::size_t k = 0; k < outcome.Fits.size(); ++k) {
        const core::PulseFit &fit = outcome.Fits[k];
        const bool signal = k == 0;
        const bool check = !signal && k - 1 < designed.size() && designed[k - 1].check;
        const bool path = !signal && k - 1 < designed.size() && designed[k - 1].path;
        const char decimal = widgets::NumberSeparators::current().decimal.toLatin1();
        const QString name =
            signal ? QString("Текущий сигнал")
            : path ? QString::fromStdString(project::pathMemberName(*designed[k - 1].path, decimal ? decimal : '.'))
                   : (k - 1 < designed.size() ? QString::fromStdString(designed[k - 1].fileName) : QString());
        const int row = PulseFitTable->rowCount();
        PulseFitTable->insertRow(row);
        PulseFitTable->setItem(row, 0, readOnly(signal || path ? name : QFileInfo(name).fileName()));
        PulseFitTable->setItem(row, 1, readOnly(check ? "проверка" : "расчёт"));
        using widgets::Quantity;
        const std::pair<std::optional<double>, Quantity> values[] = {{fit.Residual, Quantity::Amplitude},
                                                                     {fit.Metrics.Width6dB, Quantity::Microseconds},
                                                                     {fit.Metrics.Duration20dB, Quantity::Microseconds},
                                                                     {fit.Metrics.SideLevelDb, Quantity::Decibels},
                                                                     {fit.Metrics.Peak, Quantity::Amplitude}};
        for (int column = 2; column < 7; ++column)
            widgets::setQuantityCell(PulseFitTable, row, column, values[column - 2].first, values[column - 2].second);
        PulseFitTable->item(row, 0)->setToolTip(name);
    }
    m_worstRow = outcome.Worst;
    if (m_worstRow >= 0) {
        for (int column = 0; column < 7; ++column) {
            QTableWidgetItem *item = PulseFitTable->item(m_worstRow, column);
            item->setBackground(QColor(WorstRowColor));
            QFont font = item->font();
            font.setBold(true);
            item->setFont(font);
        }
        PulseFitTable->item(m_worstRow, 0)
            ->setToolTip(PulseFitTable->item(m_worstRow, 0)->toolTip() + " — наибольшая невязка в наборе");
    }
}

} // namespace pulsefir::ui
