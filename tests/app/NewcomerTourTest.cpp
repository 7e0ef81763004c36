// A new user's first session with the real program, typed and clicked as a
// person does on a screen of its own with a window manager: no settings at
// the start; a photograph opened from the welcome page; zoom, select, an
// effect applied, undone; saved as PNG; Browse, a folder opened, a slide
// show started and stopped; quit. Started again, the window is where it was
// left and the recent files remember the picture.
//
// Screenshots of every step go to PICTORAVELL_SCREENSHOT_DIR when it is set.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>

#include "tests/support/ProgramUnderTest.h"
#include "tests/support/TestSupport.h"

namespace {

namespace fs = std::filesystem;
using program_testing::ScreenWithWindowManager;
using program_testing::Spawn;
using program_testing::Wait;
using testing_support::ShellQuote;
using testing_support::TempDir;

class Tour {
 public:
  explicit Tour(const TempDir& dir) : m_dir(dir), m_screen(dir), m_home(dir.path() / "home") {
    fs::create_directories(m_home / "Pictures");
    if (const char* shots = std::getenv("PICTORAVELL_SCREENSHOT_DIR")) m_shots = shots;
  }
  bool Ready() const { return m_screen.Ready(); }
  const fs::path& Home() const { return m_home; }
  fs::path Settings() const { return m_dir.path() / "settings.conf"; }

  pid_t Start() {
    const std::string runtime = (m_dir.path() / "run").string();
    fs::create_directories(runtime);
    fs::permissions(runtime, fs::perms::owner_all, fs::perm_options::replace);
    const std::string err = (m_dir.path() / ("program" + std::to_string(++m_starts) + ".err")).string();
    m_errFile = err;
    // The program starts in the home folder, as from a desktop's menu.
    const fs::path previous = fs::current_path();
    fs::current_path(m_home);
    const pid_t pid = Spawn({std::getenv("PICTORAVELL_PROGRAM")},
                            {{"DISPLAY", m_screen.Display()},
                             {"HOME", m_home.string()},
                             {"NO_AT_BRIDGE", "1"},
                             {"GTK_A11Y", "none"},
                             {"PICTORAVELL_INSTANCE", "tour-" + std::to_string(getpid())},
                             {"XDG_RUNTIME_DIR", runtime},
                             {"PICTORAVELL_CONFIG", Settings().string()}},
                            err);
    fs::current_path(previous);
    return pid;
  }

  // The first visible window whose name matches, within the time given.
  // (One search can fail on its own when a window goes while it looks, as
  // a closing dialog does: it is asked again.)
  std::string WaitForWindow(const std::string& pattern, int seconds = 15) const {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    do {
      std::string out;
      m_screen.Run("xdotool search --onlyvisible --name " + ShellQuote(pattern) + " 2>/dev/null", &out);
      if (const std::string first = out.substr(0, out.find('\n')); !first.empty()) return first;
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    } while (std::chrono::steady_clock::now() < deadline);
    return {};
  }
  // Whether a visible window of that name covers the whole screen.
  bool FullScreenWindow(const std::string& pattern) const {
    std::string ids;
    m_screen.Run("xdotool search --onlyvisible --name " + ShellQuote(pattern) + " 2>/dev/null", &ids);
    std::istringstream in(ids);
    for (std::string id; std::getline(in, id);)
      if (!id.empty() && Geometry(id).find("1280x1024") != std::string::npos) return true;
    return false;
  }
  int Xdo(const std::string& args) const { return m_screen.Run("xdotool " + args); }
  void Keys(const std::string& keys) const {
    Xdo("key --delay 80 " + keys);
    Settle();
  }
  void Type(const std::string& text) const {
    Xdo("type --delay 8 " + ShellQuote(text));
    Settle();
  }
  void ClickAt(int x, int y) const {
    Xdo("mousemove " + std::to_string(x) + " " + std::to_string(y) + " sleep 0.2 click 1");
    Settle();
  }
  static void Settle(int ms = 400) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

  // The screen as a PNG in the test folder (and a copy to look at).
  fs::path Shot(const std::string& name) const {
    const fs::path png = m_dir.path() / (name + ".png");
    m_screen.Run("import -window root " + ShellQuote(png.string()));
    if (!m_shots.empty()) {
      fs::create_directories(m_shots);
      fs::copy_file(png, fs::path(m_shots) / ("tour-" + name + ".png"), fs::copy_options::overwrite_existing);
    }
    return png;
  }
  // The first pixel of a colour on a screenshot, top to bottom, or (-1, -1).
  static std::pair<int, int> FindColour(const fs::path& png, int r, int g, int b) {
    std::string out;
    testing_support::RunCommand(testing_support::Python() +
                                    " -c \"import sys; from PIL import Image; im=Image.open(sys.argv[1]).convert('RGB');"
                                    " w,h=im.size; d=im.load(); c=(" +
                                    std::to_string(r) + "," + std::to_string(g) + "," + std::to_string(b) +
                                    "); print(next(('%d %d'%(x,y) for y in range(h) for x in range(w) if d[x,y]==c),"
                                    " '-1 -1'))\" " +
                                    ShellQuote(png.string()),
                                &out);
    std::istringstream in(out);
    int x = -1, y = -1;
    in >> x >> y;
    return {x, y};
  }
  // The mean grey level of a box of a screenshot.
  static double MeanLevel(const fs::path& png, int x, int y, int w, int h) {
    std::string out;
    testing_support::RunCommand(testing_support::Python() +
                                    " -c \"import sys; from PIL import Image, ImageStat; im=Image.open(sys.argv[1])"
                                    ".convert('L').crop((" +
                                    std::to_string(x) + "," + std::to_string(y) + "," + std::to_string(x + w) + "," +
                                    std::to_string(y + h) + ")); print(ImageStat.Stat(im).mean[0])\" " +
                                    ShellQuote(png.string()),
                                &out);
    return out.empty() ? -1 : std::stod(out);
  }
  // The window's outer position and size as xdotool reports them.
  std::string Geometry(const std::string& window) const {
    std::string out;
    m_screen.Run("xdotool getwindowgeometry " + window, &out);
    return out.substr(out.find('\n') + 1);
  }
  std::pair<int, int> Origin(const std::string& window) const {
    std::string out;
    m_screen.Run("xdotool getwindowgeometry --shell " + window, &out);
    int x = 0, y = 0;
    std::istringstream in(out);
    for (std::string line; std::getline(in, line);) {
      if (line.rfind("X=", 0) == 0) x = std::stoi(line.substr(2));
      if (line.rfind("Y=", 0) == 0) y = std::stoi(line.substr(2));
    }
    return {x, y};
  }
  // What the program is doing (its threads' stacks), for a step that
  // did not come: gdb when it is there.
  static std::string Stacks(pid_t pid) {
    std::string out;
    testing_support::RunCommand("timeout 60 gdb -p " + std::to_string(pid) +
                                    " -batch -ex 'thread apply all bt 30' 2>/dev/null | grep '^#\\|^Thread'",
                                &out);
    return out;
  }
  std::string Errors() const {
    std::ifstream in(m_errFile);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

 private:
  const TempDir& m_dir;
  ScreenWithWindowManager m_screen;
  fs::path m_home;
  std::string m_shots;
  std::string m_errFile;
  int m_starts = 0;
};

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void ExpectQuietToolkit(const std::string& err) {
  EXPECT_EQ(err.find("ssert"), std::string::npos) << err;
  EXPECT_EQ(err.find("CRITICAL"), std::string::npos) << err;
  EXPECT_EQ(err.find("Gtk-WARNING"), std::string::npos) << err;
}

TEST(NewcomerTour, FirstSessionAndTheReturn) {
  if (!std::getenv("PICTORAVELL_PROGRAM")) GTEST_SKIP() << "PICTORAVELL_PROGRAM is not set";
  for (const char* tool : {"Xvfb", "openbox", "xprop", "xdotool", "import", "convert"}) REQUIRE_TOOL(tool);
  TempDir dir;
  Tour tour(dir);
  ASSERT_TRUE(tour.Ready());
  for (const char* name : {"harbour", "meadow", "sunset"})
    ASSERT_EQ(testing_support::RunCommand("convert -size 640x480 -seed 7 plasma:fractal " +
                                          ShellQuote((tour.Home() / "Pictures" / (std::string(name) + ".jpg")).string())),
              0);
  const std::string photo = (tour.Home() / "Pictures" / "harbour.jpg").string();
  const std::string saved = (tour.Home() / "tour.png").string();
  ASSERT_FALSE(fs::exists(tour.Settings()));

  // 1. The first start: the welcome page. Its first link (blue) is Open.
  pid_t pid = tour.Start();
  struct EndProgram {  // a failed step leaves no program behind
    pid_t& pid;
    ~EndProgram() {
      if (pid > 0 && kill(pid, 0) == 0) {
        kill(pid, SIGKILL);
        Wait(pid, 10);
      }
    }
  } end{pid};
  std::string window = tour.WaitForWindow("^Pictoravell$");
  ASSERT_FALSE(window.empty());
  Tour::Settle(800);
  const auto [linkX, linkY] = Tour::FindColour(tour.Shot("1-welcome"), 0, 0, 255);
  ASSERT_GE(linkX, 0) << "no link on the welcome page";
  tour.ClickAt(linkX + 4, linkY + 5);
  ASSERT_FALSE(tour.WaitForWindow("^Open File$").empty());
  Tour::Settle(1000);  // the chooser reads the folder first
  tour.Keys("ctrl+l");
  tour.Type(photo);
  tour.Keys("Return");
  ASSERT_FALSE(tour.WaitForWindow("^Pictoravell - harbour.jpg$").empty()) << tour.Shot("2-not-opened") << Tour::Stacks(pid);
  tour.Shot("2-opened");

  // 2. Zoom in, select everything.
  tour.Keys("ctrl+equal");
  tour.Keys("ctrl+a");
  const fs::path before = tour.Shot("3-zoomed-and-selected");
  const std::pair<int, int> origin = tour.Origin(window);
  const int ox = origin.first, oy = origin.second;
  const auto level = [&](const fs::path& png) { return Tour::MeanLevel(png, ox + 520, oy + 260, 120, 120); };

  // 3. Brightness & Contrast (Ctrl+K): the keys go to its panel, ten steps
  //    brighter; kept when Browse is asked for while it runs (the question
  //    is answered Yes); back to the picture; undone.
  tour.Keys("ctrl+k");
  Tour::Settle(600);
  tour.Keys("Right Right Right Right Right Right Right Right Right Right");
  Tour::Settle(600);
  tour.Shot("4-brightness-running");
  tour.Keys("ctrl+grave");
  const std::string question = tour.WaitForWindow("^Brightness & Contrast$", 5);
  ASSERT_FALSE(question.empty()) << "no question about keeping the changes" << tour.Shot("5-no-question");
  tour.Shot("5-keep-the-changes");
  tour.Keys("Return");  // Yes
  Tour::Settle(800);
  tour.Keys("ctrl+grave");
  Tour::Settle(600);
  const fs::path applied = tour.Shot("6-brightness-applied");
  EXPECT_GT(level(applied), level(before) + 5) << "the picture is not brighter";
  tour.Keys("ctrl+z");
  const fs::path undone = tour.Shot("7-undone");
  EXPECT_NEAR(level(undone), level(before), 0.5) << "Undo did not bring the picture back";

  // 4. Save As (File menu: the first "a" is Close All, two down is Save
  //    As) under a PNG name.
  tour.Keys("alt+f");
  tour.Keys("a Down Down Return");
  ASSERT_FALSE(tour.WaitForWindow("^Save As$").empty());
  Tour::Settle(1000);
  tour.Keys("ctrl+a");
  tour.Type(saved);
  tour.Keys("Return");
  ASSERT_FALSE(tour.WaitForWindow("^Pictoravell - tour.png$").empty()) << tour.Shot("7-not-saved") << Tour::Stacks(pid);
  for (int i = 0; i < 100 && !fs::exists(saved); ++i) Tour::Settle(100);  // the title comes first
  ASSERT_TRUE(fs::exists(saved));
  std::string info;
  ASSERT_EQ(testing_support::RunCommand("identify -format '%m %w %h' " + ShellQuote(saved), &info), 0);
  EXPECT_EQ(info, "PNG 640 480");
  // Undone: the picture saved is the photograph's own (JPEG decoders agree
  // within a level or two).
  std::string distance;
  testing_support::RunCommand("compare -metric PSNR " + ShellQuote(photo) + " " + ShellQuote(saved) + " null: 2>&1",
                              &distance);
  EXPECT_TRUE(distance == "inf" || std::stod(distance) > 40) << distance;

  // 5. Browse: a folder typed into the address bar; everything selected; a
  //    slide show started and stopped.
  tour.Keys("ctrl+grave");
  Tour::Settle(800);
  const int wx = ox, wy = oy;
  tour.Xdo("mousemove " + std::to_string(wx + 600) + " " + std::to_string(wy + 56) + " click --repeat 3 1");
  tour.Type((tour.Home() / "Pictures").string());
  tour.Keys("Return");
  Tour::Settle(1500);
  tour.Shot("8-browse");
  tour.ClickAt(wx + 670, wy + 420);  // the empty part of the thumbnails
  tour.Keys("ctrl+a");
  tour.Keys("F11");
  ASSERT_FALSE(tour.WaitForWindow("^Slide Show$").empty()) << tour.Shot("9-no-options");  // its options first
  Tour::Settle(500);
  tour.Shot("9-slide-show-options");
  tour.Keys("Return");  // OK: the show fills the screen
  bool showing = false;
  for (int i = 0; i < 100 && !showing; ++i) {
    showing = tour.FullScreenWindow("^Slide Show$");
    if (!showing) Tour::Settle(100);
  }
  ASSERT_TRUE(showing) << tour.Shot("10-no-show");
  Tour::Settle(1500);
  tour.Shot("10-slide-show");
  tour.Keys("Escape");
  bool stopped = false;
  for (int i = 0; i < 100 && !stopped; ++i) {
    stopped = !tour.FullScreenWindow("^Slide Show$");
    if (!stopped) Tour::Settle(100);
  }
  EXPECT_TRUE(stopped);
  tour.Shot("11-back-from-the-show");

  // 6. Quit.
  const std::string placedBefore = tour.Geometry(window);
  tour.Keys("ctrl+q");
  EXPECT_EQ(Wait(pid, 30), 0);
  pid = -1;
  ExpectQuietToolkit(tour.Errors());
  const std::string settings = ReadFile(tour.Settings());
  EXPECT_NE(settings.find(saved), std::string::npos) << settings;  // a recent file
  EXPECT_NE(settings.find("Placement="), std::string::npos) << settings;

  // 7. Again: the window where it was, the recent file in the File menu.
  pid = tour.Start();
  window = tour.WaitForWindow("^Pictoravell$");
  ASSERT_FALSE(window.empty());
  Tour::Settle(800);
  EXPECT_EQ(tour.Geometry(window), placedBefore);
  tour.Keys("alt+f");
  tour.Shot("12-again-file-menu");
  tour.Keys("Escape");
  tour.Keys("ctrl+q");
  EXPECT_EQ(Wait(pid, 30), 0);
  pid = -1;
  ExpectQuietToolkit(tour.Errors());
  EXPECT_NE(ReadFile(tour.Settings()).find(saved), std::string::npos);
}

}  // namespace
