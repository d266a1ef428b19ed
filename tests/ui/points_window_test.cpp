// The points window, its dialogs and the trend, opened from the main window against the simulated
// brain. The services' rules are their own tests; here, what the window shows and sends.
#include "ui/tool_window_fixture.h"
// clang-format off
#include "ui/analog_dialogs.h"
#include "ui/points_window.h"
#include "ui/trend_window.h"
// clang-format on

#include <QFile>
#include <QGroupBox>
#include <QListWidget>
#include <QRegularExpression>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <fstream>

namespace kestrio::ui {
namespace {

using Strings = std::vector<std::string>;

class PointsWindowTest : public test::ToolWindowTest {
 protected:
  // The default rack plus, in slot 10, an analog module whose code the module file lists no name for.
  void SetUp() override {
    ToolWindowTest::SetUp();
    std::ofstream(Path("rack.txt"))
        << "slot 0 din\nslot 1 dout\nslot 2 ain 16 64:-10:10\nslot 3 aout 24 80:0:10\n"
           "slot 8 ain 99 64:-10:10\nslot 10 ain 20 64:-10:10\n";
    ASSERT_TRUE(StartSim({.rackFile = Path("rack.txt")})) << sim_->Error();
    Open();
    std::string fatal;
    ASSERT_TRUE(session_->LoadProductData(fatal)) << fatal;
    ConnectToSim();
  }
  FrmConfigure* OpenPoints(bool configure) {
    (configure ? window_->cmdConfigure : window_->cmdReadWrite)->click();
    return window_->Windows().PointsWindow();
  }
  std::string Text(QLineEdit* box) const { return box->text().toStdString(); }
  std::uint64_t Outputs() {
    return sim_->WithBrain([](sim::Brain& b) { return b.DigitalOutputs(); });
  }
};

TEST_F(PointsWindowTest, ValuesModeShowsEachKindOfSlotScansAndTogglesAnOutputOnAClick) {
  FrmConfigure* w = OpenPoints(false);
  ASSERT_NE(w, nullptr);
  EXPECT_TRUE(w->framePointConfigs->isHidden());
  EXPECT_EQ(Text(w->txtBaseType[0]), "Digital: in | in | in | in");
  EXPECT_EQ(Text(w->txtBaseType[1]), "Digital: out|out|out|out");
  EXPECT_EQ(Text(w->txtBaseType[2]), "AI-2 Voltage/Current Input");
  EXPECT_EQ(Text(w->txtBaseType[4]), "Digital: out|out|out|out");  // empty: told apart from nothing
  EXPECT_EQ(Text(w->txtBaseType[8]), "UNKNOWN: 99");
  EXPECT_EQ(Text(w->txtBaseType[10]), "unknown:  20");
  ASSERT_EQ(prompter_.log.size(), 1u);
  EXPECT_EQ(prompter_.log[0].title, "Unknown Module: 8");
  EXPECT_TRUE(prompter_.log[0].text.starts_with("Module ** 8 ** is not recognized \nby the Ethernet brain"));

  // The load scanned once: digital slots show their states, analog slots their numbers.
  EXPECT_EQ(Text(w->txtPoint[4]), "  OFF  ");
  EXPECT_EQ(Text(w->txtPoint[12]), ".");
  EXPECT_FALSE(w->txtPoint[8]->text().isEmpty());

  QTest::mouseClick(w->txtPoint[4], Qt::LeftButton);
  QTRY_COMPARE(w->txtPoint[4]->text(), QString("  ON  "));
  EXPECT_EQ(Outputs(), 0x10u);
  prompter_.Clear();
  QTest::mouseClick(w->txtPoint[0], Qt::LeftButton);
  QTRY_COMPARE(prompter_.Messages(), Strings{"Can't write to digital input."});

  // Scan Time: a refusal keeps the interval, Cancel changes nothing, a good answer takes.
  prompter_.Clear();
  prompter_.inputs = {"5001", std::nullopt, "250"};
  for (int i = 0; i < 3; ++i) w->btnScanTime->click();
  EXPECT_EQ(prompter_.Messages(),
            Strings{"'5001' is not a valid scan time.  Must be non-zero number no greater than  5000."});
  EXPECT_EQ(w->tmrAutoScanner->interval(), 250);
}

TEST_F(PointsWindowTest, AutoIsSwitchedOffByATimeout) {
  session_->SetTimeoutSeconds(1);
  FrmConfigure* w = OpenPoints(false);
  ASSERT_NE(w, nullptr);
  w->tmrAutoScanner->setInterval(20);
  w->btnAuto->click();
  EXPECT_TRUE(w->Scanning());
  EXPECT_EQ(w->btnAuto->text(), "&Manual");
  EXPECT_FALSE(w->btnRead->isEnabled());
  const std::int64_t scans = w->ScansDone();
  QTRY_VERIFY_WITH_TIMEOUT(w->ScansDone() > scans + 2, 5000);

  prompter_.Clear();
  sim_->SetFaultPlan({.dropEvery = 1});
  QTRY_VERIFY_WITH_TIMEOUT(!w->Scanning(), 10000);
  EXPECT_EQ(w->btnAuto->text(), "&Auto");
  EXPECT_TRUE(w->btnRead->isEnabled() && w->btnScanTime->isEnabled());
  EXPECT_EQ(prompter_.Messages(), Strings{"The timeout of:  1 expired without receiving a reply."});
}

TEST_F(PointsWindowTest, ConfigureModeOffersTheModulesTypesAndWritesTheWholeDigitalSlot) {
  FrmConfigure* w = OpenPoints(true);
  ASSERT_NE(w, nullptr);
  EXPECT_TRUE(w->framePointVals->isHidden());
  EXPECT_EQ(Text(w->txtBaseType[0]), "No Module or Digital");
  EXPECT_EQ(Text(w->txtPointConfigType[0]), "Digital Input");
  EXPECT_TRUE(w->txtPointConfigType[1]->isHidden());  // the first box spans a digital slot's row
  EXPECT_EQ(Text(w->txtPointConfigType[8]), "-10 to 10 V Input");
  EXPECT_EQ(Text(w->txtPointConfigType[10]), "");

  w->txtPointConfigType_Click(0);
  ASSERT_TRUE(w->lstPointConfigTypes->isVisible());
  ASSERT_EQ(w->lstPointConfigTypes->count(), 2);
  EXPECT_EQ(w->lstPointConfigTypes->item(1)->text(), "Digital Output");
  w->lstPointConfigTypes_Click(1);
  EXPECT_FALSE(w->lstPointConfigTypes->isVisible());
  EXPECT_EQ(Text(w->txtPointConfigType[0]), "Digital Output");
  for (int p : {0, 1, 2, 3, 4})
    EXPECT_EQ(sim_->WithBrain([p](sim::Brain& b) { return b.PointType(p); }), 384) << p;
  EXPECT_TRUE(prompter_.Messages().size() == 1);  // only the unknown module's warning
}

TEST_F(PointsWindowTest, TrendPlotsTheScannedAnalogPointsAndExportsThemWithNames) {
  session_->Configuration().pointNames[8].name = "Tank, level";
  FrmConfigure* w = OpenPoints(false);
  ASSERT_NE(w, nullptr);
  w->btnRead->click();
  w->btnTrend->click();
  FrmTrend* trend = w->TrendWindow();
  ASSERT_NE(trend, nullptr);
  const std::vector<int> analog = {8, 9, 12, 13, 32, 33, 40, 41};
  EXPECT_EQ(trend->ChosenPoints(), analog);
  EXPECT_EQ(trend->Redraw(), 8);
  trend->SetChosen(9, false);
  EXPECT_EQ(trend->Redraw(), 7);

  const int sent = SentCount();
  trend->SetFileChooser([this] { return QString::fromStdString(Path("trend.csv")); });
  trend->btnExport->click();
  EXPECT_EQ(SentCount(), sent);  // the trend only uses what the scans read
  QFile file(QString::fromStdString(Path("trend.csv")));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QStringList lines = QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
  ASSERT_EQ(lines.size(), 1 + 2 * 7);  // two scans of seven points
  EXPECT_EQ(lines[0], "point,name,time,value");
  EXPECT_TRUE(lines[1].startsWith("8,\"Tank, level\",")) << lines[1].toStdString();
  EXPECT_EQ(lines.filter(QRegularExpression("^8,\"Tank, level\",20[0-9-]+T[0-9:.]+,-?[0-9.e-]+$")).size(), 2);
  EXPECT_EQ(lines.filter(QRegularExpression("^12,,")).size(), 2);
}

TEST_F(PointsWindowTest, EntryDialogRefusesTextWithoutANumberAndGainOffsetReadsTheGainQuadlet) {
  FrmAnalogOutputDataEntry entry(prompter_, "Enter Desired Value: Within range:\n 0 to  10");
  entry.txtNewValue->setText("volts");
  entry.btnOk->click();
  EXPECT_EQ(prompter_.Messages(), Strings{"Conversion to float didn't work, enter a different number."});
  EXPECT_FALSE(entry.Value());
  entry.txtNewValue->setText("2.5");
  entry.btnOk->click();
  EXPECT_EQ(entry.Value(), " 2.5");
  EXPECT_EQ(entry.result(), QDialog::Accepted);

  FrmAnalogGainOffset gain(session_->Engine(), 9, " 3.2");
  EXPECT_EQ(gain.windowTitle(), "   POINT #:  9   VALUE:    3.2");
  EXPECT_TRUE(gain.optOffset->isChecked());
  gain.optGain->click();
  gain.btnSet->click();
  EXPECT_NE(LogText().find("FFFFF0E00124"), std::string::npos);
  EXPECT_EQ(sim_->WithBrain([](sim::Brain& b) { return b.Calibrations(); }), 1);
}

}  // namespace
}  // namespace kestrio::ui
