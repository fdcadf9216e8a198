// Draws every window of the program, filled with its widest real texts, into
// PNG files, for looking at the layout on a real window system (Xvfb):
//   window_shots OUTPUT_DIR
// The core runs on the test fakes: nothing is opened, sent or set.
#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QWidget>
#include <cstdio>
#include <functional>

#include "app/app.h"
#include "app/connection.h"
#include "fakes/fake_platform.h"
#include "sim/sim_world.h"
#include "ui/tformccacomm.h"
#include "ui/tformerrgraph.h"
#include "ui/tformetccomm.h"
#include "ui/tformgt77comm.h"
#include "ui/tformlog.h"
#include "ui/tformsendcomm.h"
#include "ui/tformsetparm.h"
#include "ui/tmainform.h"
#include "ui/trs232setup.h"

namespace {

bool Shoot(QWidget& window, const QString& path) {
  window.show();
  QApplication::processEvents();
  const bool saved = window.grab().save(path);
  std::printf("%s %s (%dx%d)\n", saved ? "wrote" : "FAILED", qPrintable(path), window.width(),
              window.height());
  window.hide();
  return saved;
}

void FillMainView(MainView& v) {
  v.StatusBar = "12:34:56  受信が途絶えました!!";
  v.EditJst = "23:59:59";
  v.EditUtc = "14:59:59";
  v.EditPcErr = "+8640000";
  v.EditdSS = "+100";
  v.EditStatus = "3";
  v.EditLong = "179ﾟ59'59.9\"W";
  v.EditLat = " 89ﾟ59'59.9\"S";
  v.EditAntena = "-1234.5M";
  v.EditGeoid = "-123.4M";
  v.EditNumSat = "12";
  v.EditNumMsg = "120";
  v.LabelMapDatum = "測地系 : WGS-84";
  v.LabelPpsCtr = "1PPS";
}

void FillTestDialog(TestDialogModel& d) {
  d.Exists = true;
  d.AddRow("$GPGGA,145959,3539.1234,N,13945.1234,E,1,08,1.0,12.3,M,39.4,M,,*4B");
  d.AddRow("$GPRMC,145959,A,3539.1234,N,13945.1234,E,0.0,0.0,101226,,*1F");
  d.AddRow("12:34:56  dCnt : 10000012 (Avr. 10000011 ±  3)");
  d.AddRow("12:34:57  139ﾟ45'07.4\"E(±0.3\") 35ﾟ39'07.4\"N(±0.2\") ｻﾝﾌﾟﾙ:3600");
  d.AddRow("12:34:58  delay : +0.000512 sec, dT : -0.001234 sec");
  d.StatusBar = "バイナリ通信中です";
}

// An hour of the simulated world: a PC clock 0.4 s off and 40 ppm fast, with
// the edge worker waking up to 50 us late, or without 1PPS.
bool ShootErrorGraph(bool pps, const QString& path) {
  SimOptions o;
  o.pps = pps;
  o.pcOffset = 0.4;
  o.pcDrift = 40e-6;
  o.edgeWakeJitter = 50e-6;
  o.handOverLatency = 0.001;
  SimWorld w(o);
  if (!pps) w.app.settings.dSSS = 9;
  w.Connect();
  w.RunFor(3600);
  TFormErrGraph graph(w.app.errorHistory);
  return Shoot(graph, path);
}

}  // namespace

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: window_shots OUTPUT_DIR\n");
    return 2;
  }
  const QDir out(QString::fromLocal8Bit(argv[1]));
  if (!out.exists() && !QDir().mkpath(out.path())) {
    std::fprintf(stderr, "window_shots: cannot make %s\n", argv[1]);
    return 1;
  }
  const auto path = [&out](const char* name) { return out.filePath(QString(name) + ".png"); };

  FakePlatform fake;
  App app{fake.platform};
  TMainForm main{app};
  FillMainView(app.view);
  main.Refresh();
  for (int i = 0; i < 40; ++i) app.LogWithPcTime("受信機への接続要求");

  const ReceiverConfig cfg;
  bool ok = Shoot(main, path("main"));
  {
    TFormLog log(app.log);
    log.Refresh();
    ok &= Shoot(log, path("log"));
  }
  {
    TFormSetParm setParm(app);
    ok &= Shoot(setParm, path("settings"));
  }
  {
    app.settings.Port = kNetworkPort;
    TFormSetParm setParm(app);
    ok &= Shoot(setParm, path("settings_network"));
    app.settings.Port = 0;
  }
  {
    TRs232Setup serial(app.settings.serial);
    ok &= Shoot(serial, path("serial"));
  }
  {
    // The test dialog belongs to a receiver connection.
    ButtonConnectClick(app);
    FillTestDialog(*app.TestDialog());
    TFormEtcComm test(app);
    ok &= Shoot(test, path("test"));
    ButtonConnectClick(app);
  }
  {
    TFormSendComm jupiter(cfg, 0);
    ok &= Shoot(jupiter, path("commands_jupiter"));
    TFormGT77Comm gt77(cfg, 0);
    ok &= Shoot(gt77, path("commands_gt77"));
    TFormCcaComm cca;
    ok &= Shoot(cca, path("commands_cca370h"));
  }
  ok &= ShootErrorGraph(true, path("error_graph"));
  ok &= ShootErrorGraph(false, path("error_graph_sentences"));
  return ok ? 0 : 1;
}
