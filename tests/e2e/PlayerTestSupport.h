#pragma once

#include <QStringList>
#include <filesystem>
#include <functional>
#include <string>

// What the whole-player tests share: waiting with the event loop running,
// short generated recordings with real video, and a main() that gives the
// player a private working folder (settings, documents) for the run.
namespace e2e {

// Runs the event loop until `done` or the time is up; false on time-out.
bool WaitFor(const std::function<bool()>& done, int timeoutMs = 30000);

// A 7 s MOV recording with real video starting at `start` ("YYYY-MM-DD
// hh:mm:ss"), with the generator's further options `extra`.
bool MakeRecording(const std::filesystem::path& file, const std::string& start,
                   const QStringList& extra);

// The demo card made anew at `out` by tools/make-demo-card.sh (a folder
// already there is removed first, read-only files included); false with
// the script's output in `error` when it fails.
bool MakeDemoCard(const std::filesystem::path& out, std::string& error);

// The body of main(): audio off, X11 for the video surfaces, a fresh working
// folder below the temporary folder (named after `tag`) kept in `work` while
// the tests run and removed after.
int RunPlayerTests(int argc, char** argv, const char* tag, std::filesystem::path& work);

}  // namespace e2e
