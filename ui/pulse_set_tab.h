#pragma once

#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QWidget>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/least_squares_set.h"
#include "io/pulse_import.h"
#include "io/set_pulse.h"
#include "project/pulse_set_section.h"
#include "ui/widgets/chart.h"
#include "ui/widgets/platform.h"

namespace pulsefir::ui {

// The filter window's tab "Набор импульсов": the measured pulses the least-squares filter is
// designed over beside the current signal (always the first member), each of them a training
// pulse or held out "для проверки"; the regularisation curve of the last automatic choice; and
// how the last design did on every pulse, the worst row marked.
class PulseSetTab : public QWidget {
    Q_OBJECT
  public:
    explicit PulseSetTab(QWidget *parent = nullptr);
    ~PulseSetTab() override;

    // How a file of the set is read (the signal window's "Файл" rules at this moment), and how a
    // handler's error is shown; both given by the window.
    std::function<io::PulseImportRequest(const std::string &fileName)> requestFor;
    std::function<void(const std::function<void()> &)> guard;
    // A member of "Добавить тракт…": the current signal carried to its conditions; and the grid
    // of the tab's path fields. Both given by the window.
    std::function<io::SetPulseData(const project::PathConditions &)> pathMember;
    std::function<std::vector<project::PathConditions>()> pathGrid;

    // The files after the signal's row, as the project stores them.
    project::PulseSetList list() const;
    void setList(const project::PulseSetList &list);
    void addFile(const QString &fileName, bool check);
    void addPath(const project::PathConditions &conditions, bool check);

    // Every file of the list read now and every path member computed, in list order; throws
    // base::Error for one that cannot be.
    std::vector<io::SetPulseData> readPulses() const;
    // The curve and the table of a design over the signal and the list as it was read.
    void showDesign(const core::SetDesignOutcome &outcome, const project::PulseSetList &designed);
    // Marks the design's table "(устарело)" (its cells grey) or not; the note says what it was
    // computed from.
    void markResult(bool stale, const QString &note);

    QTableWidget *PulseListTable;
    QPushButton *AddPulseBitBtn;
    QPushButton *RemovePulseBitBtn;
    QPushButton *AddPathBitBtn;
    // The grid of "Добавить тракт…" and the criterion; the window puts its fields in here.
    QWidget *PathSetPanel;
    QLabel *CurveLabel;
    widgets::TChart *RegularizationChart;
    widgets::TLineSeries *CurveSeries;
    widgets::TLineSeries *ChosenSeries;
    QTableWidget *PulseFitTable;
    // Moves the list and the table into a resizable window of their own, and back.
    QPushButton *DetachBitBtn;
    // The window of their own while they are in it, else nullptr.
    QWidget *detachedWindow() const { return m_window.get(); }
    // Above PulseFitTable: whose design it shows, and whether that is still current.
    QLabel *PulseFitLabel;
    widgets::FileDialogRequest AddPulseDialog;

    // The row of PulseFitTable marked as the worst (the pulse of the largest residual, check pulses
    // too, whichever the criterion), or -1.
    int worstRow() const { return m_worstRow; }

  signals:
    // A file added or removed, or its role changed.
    void listChanged();

  public slots:
    void AddPulseBitBtnClick();
    void RemovePulseBitBtnClick();
    void AddPathBitBtnClick();
    void DetachBitBtnClick();

  private:
    void addRow(const QString &fileName, bool check);
    // The body back into the tab, the window closing.
    void attach();
    QWidget *m_body = nullptr; // everything of the tab, in the tab or in its own window
    std::unique_ptr<QWidget> m_window;
    int m_worstRow = -1;
};

} // namespace pulsefir::ui
