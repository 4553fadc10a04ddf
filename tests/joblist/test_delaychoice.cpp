// The delay option below the windows: what the user chose, and the delay each row shows when it
// is selected and runs with when its job starts, through a whole session of the job list.

#include "DelayChoice.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <string>
#include <vector>

namespace {

// What the user or the program does, and what the delay option shows afterwards.
enum class Op {
    Add,    // files added together: the first row is selected
    Select, // a row clicked
    Tick,   // the box ticked by hand
    Untick, // the box unticked by hand
    Type,   // a delay typed into the edit, the typing then done
    Clear,  // Clear List
    Start,  // the batch starts
    Job,    // the job of a row starts (the runner selects the row)
    End,    // the batch ends
};

struct Step {
    Op op;
    QStringList args; // Add: the names; Select, Job: the row; Type: the text
    bool ticked;      // the box afterwards
    const char *text; // the edit afterwards
};

// The delay option of a window, driven as the main window drives it.
class Window
{
public:
    void Do(const Step &step)
    {
        const DelayChoice before = m_choice;
        switch (step.op) {
        case Op::Add:
        case Op::Select:
        case Op::Job:
            m_selected = step.args.value(0);
            break;
        case Op::Tick:
            m_choice.BoxTicked(m_shown.Text);
            break;
        case Op::Untick:
            m_choice.BoxUnticked();
            break;
        case Op::Type:
            m_choice.DelayTyped(step.args.value(0));
            break;
        case Op::Clear:
            m_choice.Reset();
            m_selected.clear();
            break;
        case Op::Start:
        case Op::End:
            break;
        }
        // Starting and ending a batch leave the option as it is; everything else shows the
        // selected row's delay (none with no row).
        if (step.op != Op::Start && step.op != Op::End)
            m_shown = m_choice.ForRow(m_selected);
        // Showing a row, running a job, starting and ending a batch choose nothing.
        if (step.op == Op::Add || step.op == Op::Select || step.op == Op::Job || step.op == Op::Start
            || step.op == Op::End)
            EXPECT_TRUE(m_choice == before);
    }
    DelayShown Shown() const { return m_shown; }

private:
    DelayChoice m_choice;
    QString m_selected;
    DelayShown m_shown;
};

const QString B = QStringLiteral("b.wav");
const QString C = QStringLiteral("c DELAY 500ms.wav");
const QString M = QStringLiteral("/films/Season 1/Movie T01 3_2ch 448Kbps DELAY -66ms.ac3");

} // namespace

TEST(DelayChoice, EachRowShowsAndRunsWithTheDelayTheChoiceGivesIt)
{
    struct Case {
        const char *what;
        std::vector<Step> steps;
    };
    const std::vector<Case> cases = {
        {"nothing chosen: each name gives its row's delay",
         {{Op::Add, {B, C}, false, "0"},
          {Op::Select, {C}, true, "500"},
          {Op::Select, {B}, false, "0"},
          {Op::Start, {}, false, "0"},
          {Op::Job, {B}, false, "0"},
          {Op::Job, {C}, true, "500"},
          {Op::End, {}, true, "500"},
          {Op::Select, {M}, true, "-66"}}},
        {"the first row carries a delay, the next none",
         {{Op::Add, {C, B}, true, "500"}, {Op::Select, {B}, false, "0"}, {Op::Job, {C}, true, "500"}}},
        {"unticked by hand: no row runs with a delay",
         {{Op::Add, {B, C}, false, "0"},
          {Op::Select, {C}, true, "500"},
          {Op::Untick, {}, false, "0"},
          {Op::Select, {B}, false, "0"},
          {Op::Start, {}, false, "0"},
          {Op::Job, {B}, false, "0"},
          {Op::Job, {C}, false, "0"},
          {Op::End, {}, false, "0"}}},
        {"ticked by hand: the rows without a delay take the edit's",
         {{Op::Add, {B, C}, false, "0"},
          {Op::Tick, {}, true, "0"},
          {Op::Select, {C}, true, "500"},
          {Op::Job, {B}, true, "0"},
          {Op::Job, {C}, true, "500"}}},
        {"typed: the rows without a delay take it, a name's own holds",
         {{Op::Add, {B, C}, false, "0"},
          {Op::Tick, {}, true, "0"},
          {Op::Type, {QStringLiteral("250")}, true, "250"},
          {Op::Select, {C}, true, "500"},
          {Op::Select, {B}, true, "250"},
          {Op::Start, {}, true, "250"},
          {Op::Job, {B}, true, "250"},
          {Op::Job, {C}, true, "500"},
          {Op::End, {}, true, "500"},
          {Op::Select, {B}, true, "250"}}},
        {"typed on a row whose name carries a delay: that row keeps its own",
         {{Op::Add, {C, B}, true, "500"},
          {Op::Type, {QStringLiteral("300")}, true, "500"},
          {Op::Select, {B}, true, "300"},
          {Op::Job, {C}, true, "500"}}},
        {"typed, unticked, ticked again: the typed delay comes back",
         {{Op::Add, {B}, false, "0"},
          {Op::Tick, {}, true, "0"},
          {Op::Type, {QStringLiteral("-40")}, true, "-40"},
          {Op::Untick, {}, false, "-40"},
          {Op::Select, {C}, false, "-40"},
          {Op::Tick, {}, true, "500"},
          {Op::Select, {B}, true, "-40"}}},
        {"Clear List goes back to the names",
         {{Op::Add, {B, C}, false, "0"},
          {Op::Untick, {}, false, "0"},
          {Op::Clear, {}, false, "0"},
          {Op::Add, {C, B}, true, "500"},
          {Op::Select, {B}, false, "0"}}},
        {"Clear List drops a typed delay",
         {{Op::Add, {B}, false, "0"},
          {Op::Tick, {}, true, "0"},
          {Op::Type, {QStringLiteral("250")}, true, "250"},
          {Op::Clear, {}, false, "0"},
          {Op::Add, {B}, false, "0"}}},
        {"an emptied edit is the typed delay as it stands",
         {{Op::Add, {B}, false, "0"}, {Op::Tick, {}, true, "0"}, {Op::Type, {QString()}, true, ""}}},
    };
    for (const Case &c : cases) {
        Window window;
        int i = 0;
        for (const Step &step : c.steps) {
            window.Do(step);
            const DelayShown shown = window.Shown();
            EXPECT_EQ(shown.Ticked, step.ticked) << c.what << ", step " << i;
            EXPECT_EQ(shown.Text.toStdString(), std::string(step.text)) << c.what << ", step " << i;
            ++i;
        }
    }
}
