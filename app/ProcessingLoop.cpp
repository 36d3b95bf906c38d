// The main window with its entry row and result list, and the turn of the processing loop
// that adds one row per turn while keeping the controls' enabled states in step.
#include "app/App.h"
#include "runtime/control/Control.h"
#include "runtime/core/Core.h"
#include "runtime/window/Window.h"

#include <stdint.h>

namespace {
constexpr int32_t MAIN_WINDOW = 0;
constexpr uint32_t MAIN_WINDOW_FLAGS = 0xC80001; // caption, system menu, centred on screen
constexpr uint32_t DIGITS_ONLY = ES_NUMBER;
constexpr char LINE_FEED[] = "\n";
constexpr char SEPARATOR[] = ", ";
constexpr char WIDEST_NUMBER[] = "-2147483648";
constexpr int32_t FACTOR_COLUMN_WIDTH = 200;
// What a message shows of a field's text at most; a longer text is cut and ends in "...".
constexpr int32_t SHOWN_TEXT_LIMIT = 40;

int32_t runningFlag;
int32_t currentNumber;
int32_t lastNumber;
int32_t turnEvent;
StringSlot factorText;
StringSlot divisorText;
// The running flag as the enabled states last showed it.
int32_t runningShown;

const ReportCommandTexts LIST_COMMAND_TEXTS = {
    .copyItem = L"&Kopieren",
    .selectAllItem = L"&Alles ausw\u00e4hlen",
    .noMemoryForCopy = "Der Speicher reicht nicht aus, um die markierten Zeilen zu kopieren. Die "
                       "Zwischenablage bleibt, wie sie war.",
    .clipboardRefused = "Die Zwischenablage hat die markierten Zeilen nicht angenommen.",
};
} // namespace

bool CreateMainWindow() {
    if (CreateNumberedWindow(0, 0, 0, 600, 500, MAIN_WINDOW_FLAGS, "Primfaktoren und Teiler") ==
        nullptr) {
        return false;
    }
    if (SetControlParent(GetCurrentWindow()) == nullptr) {
        return false;
    }
    CreateLabel(FROM_LABEL, 0, 4, 20, 16, "Von");
    CreateEditField(FIRST_FIELD, 22, 1, 70, 20, "1", DIGITS_ONLY);
    CreateLabel(TO_LABEL, 95, 4, 15, 16, "bis");
    CreateEditField(LAST_FIELD, 112, 1, 70, 20, "100", DIGITS_ONLY);
    CreateButton(START_BUTTON, 190, 1, 40, 20, "Start");
    CreateButton(STOP_BUTTON, 240, 1, 40, 20, "Stop");
    CreateButton(CLEAR_BUTTON, 290, 1, 40, 20, "Clear");
    // Several rows at once can be selected and copied; a click on any cell selects its row.
    CreateReportListWithFlags(RESULT_LIST, 5, 25, 590, 470, "Zahl", 50,
                              REPORT_MULTI_SELECT | REPORT_FULL_ROW);
    // Every number shows whole, and the columns fit beside the vertical scroll bar that a
    // full list brings: "Teiler" takes what is left.
    int32_t numberWidth = ReportTextWidth(RESULT_LIST, WIDEST_NUMBER);
    SetReportColumnWidth(RESULT_LIST, 0, numberWidth);
    AddReportColumn(RESULT_LIST, 1, "Primfaktoren", FACTOR_COLUMN_WIDTH);
    AddReportColumn(RESULT_LIST, 2, "Teiler",
                    ReportColumnRoom(RESULT_LIST) - numberWidth - FACTOR_COLUMN_WIDTH);
    SetReportCommandTexts(RESULT_LIST, &LIST_COMMAND_TEXTS);
    // Enter in a field runs the range, as the default button of a form does.
    SetDefaultButton(MAIN_WINDOW, START_BUTTON);
    FocusChild(MAIN_WINDOW, FIRST_FIELD);
    return true;
}

namespace {

// True when the field holds a number, which then goes to `number`. A text that fills the
// whole read may have been cut, so it is none.
bool ReadFieldNumber(int32_t field, int32_t* number) {
    char* mark = MarkScratch();
    ReadControlText(field);
    bool whole = ScratchCursor - mark < CONTROL_TEXT_LIMIT - 1;
    SealScratch();
    bool isNumber = whole && TextIsNumber(mark, number);
    ReleaseScratch(mark);
    return isNumber;
}

void SetEnabledStatesOfRun() {
    if (runningFlag) {
        DisableControl(STOP_BUTTON, 0);
        DisableControl(START_BUTTON, 1);
        DisableControl(FIRST_FIELD, 1);
        DisableControl(LAST_FIELD, 1);
        DisableControl(CLEAR_BUTTON, 1);
        return;
    }
    DisableControl(STOP_BUTTON, 1);
    // While a field holds no number, Start stays enabled so that a click can say why.
    int32_t first = 0;
    int32_t last = 0;
    bool range = ReadFieldNumber(FIRST_FIELD, &first) && ReadFieldNumber(LAST_FIELD, &last);
    DisableControl(START_BUTTON, range && first > last ? 1 : 0);
    DisableControl(FIRST_FIELD, 0);
    DisableControl(LAST_FIELD, 0);
    DisableControl(CLEAR_BUTTON, CountControlRows(RESULT_LIST) != 0 ? 0 : 1);
}

void SetEnabledStates() {
    SetEnabledStatesOfRun();
    // The control that held the focus, disabled as the run started or ended, left it
    // nowhere: it goes on to the control a user presses next.
    if (runningFlag != runningShown) {
        runningShown = runningFlag;
        if (FocusedChild(MAIN_WINDOW) < 0) {
            FocusChild(MAIN_WINDOW, runningFlag ? STOP_BUTTON : START_BUTTON);
        }
    }
}

// Ends the run after the last whole row as Stop would, and tells the user once that memory
// ran out, where the list ends and which numbers are missing, so that the last row is not
// taken for the range's end.
void EndRunForWantOfMemory() {
    runningFlag = 0;
    // Behind the message the window shows itself idle, as it is.
    SetEnabledStates();
    int32_t rows = CountControlRows(RESULT_LIST);
    char* text = MarkScratch();
    AppendText("Der Speicher reicht nicht aus. ");
    if (rows == 0) {
        AppendText("Die Liste ist leer");
    } else {
        AppendText("Die Liste endet bei ");
        ReadControlCell(RESULT_LIST, rows - 1, 0);
    }
    if (currentNumber == lastNumber) {
        AppendText("; es fehlt die Zahl ");
    } else {
        AppendText("; es fehlen die Zahlen ");
        AppendNumber(currentNumber);
        AppendText(" bis ");
    }
    AppendNumber(lastNumber);
    AppendText(".");
    ShowWarning(GetCurrentWindow(), text);
    ReleaseScratch(text);
}

void ProcessCurrentNumber() {
    AssignFromScratch(&factorText, PrimeFactorText(currentNumber, SEPARATOR));
    AssignFromScratch(&divisorText, DivisorText(currentNumber, SEPARATOR));
    // A slot that holds no text after the assignment could not get its copy, or its text
    // procedure could not build the text whole. Every row of the list must be whole and
    // right, so the run ends after the last one.
    if (factorText == nullptr || divisorText == nullptr) {
        EndRunForWantOfMemory();
        return;
    }

    char* row = MarkScratch();
    AppendNumber(currentNumber);
    AppendText(LINE_FEED);
    AppendText(factorText);
    AppendText(LINE_FEED);
    AppendText(divisorText);
    SealScratch();
    bool added = AddControlRow(RESULT_LIST, -1, row);
    ReleaseScratch(row);
    // The list refused the row (out of memory, most likely): no gap may follow.
    if (!added) {
        EndRunForWantOfMemory();
        return;
    }

    // The largest number has no successor: the range ends with its row.
    if (currentNumber == INT32_MAX) {
        runningFlag = 0;
    } else {
        currentNumber++;
    }
}

// Says in a message what the field holds and what it takes, then puts the focus there with
// the text selected, so that typing replaces it.
void ShowNoNumber(int32_t field, int32_t label) {
    char* held = MarkScratch();
    ReadControlText(field);
    if (ScratchCursor - held > SHOWN_TEXT_LIMIT) {
        ReleaseScratch(held + SHOWN_TEXT_LIMIT);
        AppendText("...");
    }
    SealScratch();
    char* text = MarkScratch();
    AppendText("Im Feld \"");
    ReadControlText(label);
    if (*held == 0) {
        AppendText("\" steht nichts.");
    } else {
        AppendText("\" steht \"");
        AppendText(held);
        AppendText("\".");
    }
    AppendText(" Erlaubt sind ganze Zahlen von -2147483648 bis 2147483647.");
    ShowWarning(GetCurrentWindow(), text);
    ReleaseScratch(held);
    FocusChild(MAIN_WINDOW, field);
}

// Starts the range the fields show; with a field that holds no number nothing starts and
// a message names it, the first field when both hold none.
void StartRange() {
    int32_t first = 0;
    int32_t last = 0;
    if (!ReadFieldNumber(FIRST_FIELD, &first)) {
        ShowNoNumber(FIRST_FIELD, FROM_LABEL);
        return;
    }
    if (!ReadFieldNumber(LAST_FIELD, &last)) {
        ShowNoNumber(LAST_FIELD, TO_LABEL);
        return;
    }
    runningFlag = 1;
    currentNumber = first;
    lastNumber = last;
}

void ReactToControl(int32_t control) {
    switch (control) {
    case START_BUTTON:
        StartRange();
        break;
    case STOP_BUTTON:
        runningFlag = 0;
        break;
    case CLEAR_BUTTON:
        // Clear is disabled with the rows gone: the user types the next range.
        if (FocusedChild(MAIN_WINDOW) == CLEAR_BUTTON) {
            FocusChild(MAIN_WINDOW, FIRST_FIELD);
        }
        ClearControlRows(RESULT_LIST);
        break;
    default:
        break;
    }
}
} // namespace

void ClearApplicationState() {
    runningFlag = 0;
    currentNumber = 0;
    lastNumber = 0;
    turnEvent = 0;
    factorText = nullptr;
    divisorText = nullptr;
    runningShown = 0;
}

TurnOutcome RunTurn() {
    turnEvent = PollEvent();
    // Taken now: adding a row can record a newer control event (an item change) before this
    // turn reacts to its own.
    int32_t turnControl = turnEvent == EVENT_CONTROL ? EventControlNumber() : -1;

    if (runningFlag) {
        ProcessCurrentNumber();
    }
    if (currentNumber > lastNumber) {
        runningFlag = 0;
    }
    if (turnEvent == EVENT_CONTROL) {
        ReactToControl(turnControl);
    }
    if (turnEvent == EVENT_CLOSE) {
        return TurnOutcome::Close;
    }
    // Set last, so that the next message, a click queued behind Start say, finds the controls
    // as this turn left the running flag, the fields and the rows.
    SetEnabledStates();
    if (runningFlag == 0 && turnEvent == 0) {
        return TurnOutcome::Idle;
    }
    return TurnOutcome::Busy;
}
