#pragma once
#include <mutex>
#include <string>
#include <vector>

#include <cstdio>

#include "cli/ExitCodes.h"
#include "cli/JsonLine.h"
#include "link/MessageSink.h"
#include "ops/OperationProgress.h"

// Everything quillet prints goes through here, in one of two forms.
//
// Text: data (listings, device rows, differences) and a successful result on standard
// output; the core's messages, warnings and a failed result on standard error, so that a
// script can keep the data apart from the complaints. A progress bar is drawn on standard
// error only when that is a terminal: in a log file it would be noise.
//
// JSON (--json): one object per line on standard output, each with a "type": "progress",
// "message", "warning", a data type of the command, and "result" always last.
class Reporter : public MessageSink {
public:
    Reporter(std::string command, bool json);

    bool Json() const { return json_; }
    const std::string& Command() const { return command_; }

    // A message of the core: what the window would show in a message box on the way.
    void ShowMessage(const std::string& text) override;
    // From now on the core's messages are not shown: what follows an interruption is the
    // writes it refused, not the board's doing.
    void Quiet() { quiet_ = true; }
    void Warn(const std::string& text);
    // A remark on how the run goes, in text form only (JSON carries it in the result's fields).
    void Note(const std::string& text);

    // A line of data in text form; nothing in JSON form.
    void Print(const std::string& line);
    // A line of data in JSON form; nothing in text form.
    void Emit(const JsonLine& line);

    // The progress function of an operation: a bar labelled `label`, or JSON objects
    // {"type":"progress","operation":operation,"percent":N}; only changes are reported.
    ProgressFunction Progress(std::string operation, std::string label);

    // Makes this the reporter of one board in a run on several: nothing is drawn as a bar;
    // in JSON form every object carries `boardFields` and is written under `output`, in text
    // form the lines name the board (`name`) and are held until the board is done.
    void ForBoard(JsonLine boardFields, std::string name, std::mutex& output);
    struct HeldLine {
        bool error; // standard error, else standard output
        std::string text;
    };
    // The text lines held so far, in order; the caller writes them under the output lock.
    std::vector<HeldLine> TakeHeld() { return std::move(held_); }
    const std::string& LastMessage() const { return lastMessage_; }

    // Ends the run: prints the result and returns its exit code. In text form an empty
    // message prints nothing, nor does one the core has just shown; `fields` join the JSON.
    int Finish(const Outcome& outcome, const JsonLine& fields = JsonLine());

private:
    void ClearBar();
    void Write(std::FILE* stream, const std::string& line);

    std::string command_;
    bool json_;
    bool bar_;            // standard error is a terminal and the output is text
    bool barShown_ = false;
    std::string lastMessage_;
    bool quiet_ = false;

    // A board of a run on several boards.
    std::mutex* output_ = nullptr;
    JsonLine boardFields_;
    std::string boardTag_; // "TVRA0001 (device 0): "
    std::vector<HeldLine> held_;
};
