#include "app/serial_line_for.h"

#include <climits>
#include <cstdint>

#include <gtest/gtest.h>

TEST(SerialLineFor, BaudTableWithDefaultOutsideIt) {
  const uint32_t expected[] = {110,   300,   600,   1200,  2400,   4800,  9600,
                               14400, 19200, 38400, 56000, 128000, 256000};
  SerialParams p;
  for (int32_t i = 0; i < 13; ++i) {
    p.boudRate = i;
    EXPECT_EQ(SerialLineFor(p, 0).baud, expected[i]) << i;
  }
  for (int32_t i : {-1, 13, INT32_MIN, INT32_MAX}) {
    p.boudRate = i;
    EXPECT_EQ(SerialLineFor(p, 0).baud, 4800u) << i;
  }
}

TEST(SerialLineFor, IndexesMapToLineWithDefaultOutsideTheirLists) {
  using P = SerialParity;
  using S = SerialStopBits;
  using F = SerialFlowControl;
  struct Case {
    int32_t dataBits;
    uint8_t parity;
    uint8_t stopBits;
    int32_t flow;
    uint8_t wantBits;
    SerialParity wantParity;
    SerialStopBits wantStop;
    SerialFlowControl wantFlow;
  };
  const Case cases[] = {
      {1, 0, 0, 2, 8, P::None, S::One, F::None},        // defaults
      {0, 0, 0, 2, 7, P::None, S::One, F::None},        // 7 bits
      {9, 0, 0, 2, 8, P::None, S::One, F::None},        // out of range: 8
      {-1, 0, 0, 2, 8, P::None, S::One, F::None},       // out of range: 8
      {1, 1, 0, 2, 8, P::Even, S::One, F::None},
      {1, 2, 0, 2, 8, P::Odd, S::One, F::None},
      {1, 3, 0, 2, 8, P::Mark, S::One, F::None},
      {1, 4, 0, 2, 8, P::Space, S::One, F::None},
      {1, 200, 0, 2, 8, P::None, S::One, F::None},      // out of range: none
      {1, 0, 1, 2, 8, P::None, S::OneAndHalf, F::None},
      {1, 0, 2, 2, 8, P::None, S::Two, F::None},
      {1, 0, 7, 2, 8, P::None, S::One, F::None},        // out of range: 1
      {1, 0, 0, 0, 8, P::None, S::One, F::Hardware},
      {1, 0, 0, 1, 8, P::None, S::One, F::XonXoff},
      {1, 0, 0, -4, 8, P::None, S::One, F::None},       // out of range: none
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "dataBits " << c.dataBits << " parity " << int(c.parity)
                                    << " stop " << int(c.stopBits) << " flow " << c.flow);
    SerialParams p;
    p.PortIndex = 3;  // the port comes from its own argument
    p.dataBits = c.dataBits;
    p.parityType = c.parity;
    p.stopBits = c.stopBits;
    p.flowCntl = c.flow;
    const SerialLine line = SerialLineFor(p, 1);
    EXPECT_EQ(line.portIndex, 1);
    EXPECT_EQ(line.dataBits, c.wantBits);
    EXPECT_EQ(line.parity, c.wantParity);
    EXPECT_EQ(line.stopBits, c.wantStop);
    EXPECT_EQ(line.flow, c.wantFlow);
  }
}
