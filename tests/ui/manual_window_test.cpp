// The manual packet window: examples shown in the packet decoder, a typed packet sent once and on
// the timer, the refusal of text that is not hex, and the scan time's validation.
#include "ui/tool_window_fixture.h"
// clang-format off
#include "ui/manual_window.h"
// clang-format on

#include <QAction>
#include <QButtonGroup>
#include <QLabel>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include "protocol/decoder.h"
#include "ui/packet_decoder_window.h"

namespace kestrio::ui {
namespace {

using test::ToolWindowTest;

class ManualWindowTest : public ToolWindowTest {
 protected:
  FrmManual* OpenWindow() {
    window_->mnuSendPackets->trigger();
    return window_->ManualWindow();
  }
};

TEST_F(ManualWindowTest, ShowsTheSelectedExampleInThePacketDecoder) {
  StartAndConnect();
  FrmManual* w = OpenWindow();
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->windowTitle(), "Manual Mode");
  EXPECT_EQ(w->optCmd[4], nullptr);
  EXPECT_EQ(w->optCmd[2]->text(), "Read Block Request");

  // With no option selected nothing is shown.
  w->cmdDoCommand->click();
  EXPECT_TRUE(window_->PacketDecoder()->DecodedText().isEmpty());

  w->optCmd[1]->click();
  w->cmdDoCommand->click();
  EXPECT_EQ(window_->PacketDecoder()->DecodedText().toStdString(),
            FormatDecoded(DecodePackets("000004000000FFFFF050000000000000")));
  w->optCmd[7]->click();
  w->cmdDoCommand->click();
  EXPECT_EQ(window_->PacketDecoder()->DecodedText().toStdString(),
            FormatDecoded(DecodePackets("0000047000000000000000000000000000000000000000000000000000000000")));
}

TEST_F(ManualWindowTest, SendsATypedPacketOnceAndRefusesWhatIsNotAPacket) {
  StartAndConnect();
  FrmManual* w = OpenWindow();
  ASSERT_NE(w, nullptr);
  window_->lblTXRXTime->clear();

  w->txtSendString->setText("000004400000FFFFF0300004");
  w->btnSendString->click();
  EXPECT_EQ(w->PacketsSent(), 1);
  EXPECT_NE(LogText().find("Sending [Read Quad Request]: 000004400000FFFFF0300004"), std::string::npos)
      << LogText();
  EXPECT_NE(LogText().find("[Read Quad Response]"), std::string::npos);
  EXPECT_EQ(window_->lblTXRXTime->text().size(), 10);
  EXPECT_TRUE(prompter_.Messages().empty());

  // Blanks or letters beyond F are refused with a message; an unknown tcode is not sent, silently.
  const int sent = SentCount();
  w->txtSendString->setText("000004 400000FFFFF0300004");
  w->btnSendString->click();
  w->txtSendString->setText("000004400000FFFFG0300004");
  w->btnSendString->click();
  ASSERT_EQ(prompter_.Messages().size(), 2u);
  EXPECT_EQ(prompter_.Messages()[1].rfind("The packet is not sent: character 17 is not a hex digit.", 0), 0u);
  w->txtSendString->setText("000004300000FFFFF0300004");
  w->btnSendString->click();
  EXPECT_EQ(prompter_.Messages().size(), 2u);
  EXPECT_EQ(SentCount(), sent);
  EXPECT_EQ(w->PacketsSent(), 1);
}

TEST_F(ManualWindowTest, AutoSendRepeatsOnTheTimerAndSkipsTicksWhileBusy) {
  // Replies slower than the period: ticks that find the engine busy are skipped, never refused.
  StartAndConnect({.faults = {.delayMs = 40}});
  FrmManual* w = OpenWindow();
  ASSERT_NE(w, nullptr);
  prompter_.inputs = {std::string("10")};
  w->btnScanTime->click();
  EXPECT_EQ(w->tmrAutoScanner->interval(), 10);

  w->txtSendString->setText("000004400000FFFFF0300004");
  EXPECT_EQ(w->btnAuto->text(), "&Auto Send");
  w->btnAuto->click();
  EXPECT_TRUE(w->AutoSending());
  EXPECT_EQ(w->btnAuto->text(), "&Manual");
  EXPECT_FALSE(w->btnSendString->isEnabled());
  EXPECT_FALSE(w->btnScanTime->isEnabled());
  EXPECT_TRUE(QTest::qWaitFor([w] { return w->PacketsSent() >= 3; }, 10000));
  // Stop from inside the event loop, as the operator's click arrives.
  QTimer::singleShot(0, w, [w] { w->btnAuto->click(); });
  EXPECT_TRUE(QTest::qWaitFor([w] { return !w->AutoSending(); }, 5000));
  EXPECT_TRUE(QTest::qWaitFor([this] { return !session_->GetLink().Busy(); }, 5000));
  EXPECT_EQ(w->btnAuto->text(), "&Auto");
  EXPECT_TRUE(w->btnSendString->isEnabled());
  EXPECT_TRUE(w->btnScanTime->isEnabled());
  EXPECT_EQ(LogText().find("Request refused"), std::string::npos);
  EXPECT_TRUE(prompter_.Messages().empty());

  const int sent = w->PacketsSent();
  QTest::qWait(50);
  EXPECT_EQ(w->PacketsSent(), sent);
}

TEST_F(ManualWindowTest, ScanTimeIsValidatedAndRounded) {
  StartAndConnect();
  FrmManual* w = OpenWindow();
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->tmrAutoScanner->interval(), 500);
  // Which answers are valid is the service's test; here, a refusal leaves the timer alone.
  prompter_.inputs = {std::string("5001")};
  w->btnScanTime->click();
  EXPECT_EQ(prompter_.Messages(),
            std::vector<std::string>{
                "'5001' is not a valid scan time.  Must be non-zero number no greater than  5000."});
  EXPECT_EQ(w->tmrAutoScanner->interval(), 500);
  ASSERT_FALSE(prompter_.log.empty());
  EXPECT_EQ(prompter_.log[0].title, "Scan Time");
  EXPECT_EQ(prompter_.log[0].text, "Enter scan rate (in milliseconds:)");

  prompter_.inputs = {std::string("250")};
  w->btnScanTime->click();
  EXPECT_EQ(w->tmrAutoScanner->interval(), 250);
  prompter_.inputs = {std::string("2.5")};
  w->btnScanTime->click();
  EXPECT_EQ(w->tmrAutoScanner->interval(), 2);
  prompter_.inputs = {std::nullopt};  // cancelled
  w->btnScanTime->click();
  EXPECT_EQ(w->tmrAutoScanner->interval(), 2);
}

}  // namespace
}  // namespace kestrio::ui
