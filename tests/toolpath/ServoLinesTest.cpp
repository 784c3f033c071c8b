// Motor lines of servos on a serial bus: protocol, device, baud rate, id and zero count read from
// the port field and written back; the lines a bus cannot take refused, naming the motor.

#include <gtest/gtest.h>

#include <string>

#include "model/Error.h"
#include "toolpath/MotorPropertiesText.h"

namespace torvane {
namespace {

TEST(ServoLines, ThePortFieldNamesProtocolDeviceBaudIdAndZeroAndReadsBackAsWritten) {
    const ParsedMotorProperties p = ParseMotorPropertiesText(
        "5,5\r\nPan,base,feetech:/dev/ttyUSB0#1,11.3777777777778\r\n"
        "Lift,arm,dynamixel:/dev/ttyUSB1@57600#1=2048,-11.4,90,180,-100,100\r\n"
        "Grip,hand,maestro:/dev/ttyACM0#5=6000,44.4\r\n"
        "Roll,wrist,feetech:/dev/serial/by-id/usb-1a86_USB_Serial-if00@1000000#2,11.4\r\n"
        "Old,arm,3,1");
    ASSERT_EQ(p.motors.size(), 5u);
    const typMotorProperties& pan = p.motors[0];
    EXPECT_EQ(pan.Kind, DriveKind::Feetech);
    EXPECT_EQ(pan.Device, "/dev/ttyUSB0");
    EXPECT_EQ(pan.ServoId, 1);
    EXPECT_EQ(pan.Baud, 0) << "the protocol's default";
    EXPECT_EQ(pan.Zero, 0);
    const typMotorProperties& lift = p.motors[1];
    EXPECT_EQ(lift.Kind, DriveKind::Dynamixel);
    EXPECT_EQ(lift.Device, "/dev/ttyUSB1");
    EXPECT_EQ(lift.Baud, 57600);
    EXPECT_EQ(lift.Zero, 2048);
    EXPECT_EQ(lift.Scale, -11.4);
    EXPECT_EQ(lift.Lower, -100);
    EXPECT_EQ(p.motors[2].Kind, DriveKind::Maestro);
    EXPECT_EQ(p.motors[2].ServoId, 5);
    EXPECT_EQ(p.motors[3].Device, "/dev/serial/by-id/usb-1a86_USB_Serial-if00");
    EXPECT_EQ(p.motors[3].Baud, 1000000);
    EXPECT_EQ(p.motors[4].Kind, DriveKind::Lines) << "older lines read as before";
    EXPECT_EQ(p.motors[4].ComPort, 3);

    for (const typMotorProperties& motor : p.motors) {
        const ParsedMotorProperties again =
            ParseMotorPropertiesText("5,5\r\n" + MotorLineText(motor));
        ASSERT_EQ(again.motors.size(), 1u) << MotorLineText(motor);
        EXPECT_EQ(again.motors[0], motor) << MotorLineText(motor);
        const JointLine line = JointLineOf(motor);
        EXPECT_EQ(line.ServoId, motor.ServoId);
        EXPECT_EQ(line.Zero, motor.Zero);
        EXPECT_EQ(line.Baud, motor.Baud);
    }
}

TEST(ServoLines, WhatABusCannotTakeIsRefusedNamingTheMotor) {
    const auto refusal = [](const std::string& line) {
        try {
            ParseMotorPropertiesText("5,5\r\n" + line);
        } catch (const Error& e) {
            return std::string(e.what());
        }
        return std::string("accepted");
    };
    EXPECT_NE(refusal("A,arm,feetech:/dev/ttyUSB0,1").find("\"/dev/ttyUSB0#3\""), std::string::npos)
        << "no id";
    EXPECT_NE(refusal("A,arm,feetech:ttyUSB0#1,1").find("Motor \"A\""), std::string::npos)
        << "no device path";
    EXPECT_NE(refusal("A,arm,dynamixel:/dev/ttyUSB0#253,1").find("highest id"), std::string::npos);
    EXPECT_NE(refusal("A,arm,maestro:/dev/ttyACM0#24,1").find("highest id"), std::string::npos);
    EXPECT_NE(refusal("A,arm,feetech:/dev/ttyUSB0#x,1").find("servo id"), std::string::npos);
    EXPECT_NE(refusal("A,arm,feetech:/dev/ttyUSB0@0#1,1").find("baud rate"), std::string::npos);
    EXPECT_NE(refusal("A,arm,feetech:/dev/ttyUSB0@fast#1,1").find("baud rate"), std::string::npos);
    EXPECT_NE(refusal("A,arm,feetech:/dev/ttyUSB0#1=abc,1").find("position 0"), std::string::npos);
    const std::string twice =
        refusal("A,arm,feetech:/dev/ttyUSB0#1,1\r\nB,arm,feetech:/dev/ttyUSB0@1000000#1,1");
    EXPECT_NE(twice.find("servo id 1 on /dev/ttyUSB0 is already the servo of motor \"A\""),
              std::string::npos)
        << twice;
    EXPECT_EQ(refusal("A,arm,feetech:/dev/ttyUSB0#1,1\r\nB,arm,feetech:/dev/ttyUSB1#1,1\r\n"
                      "C,arm,dynamixel:/dev/ttyUSB0#1,1"),
              "accepted")
        << "one id on two devices, or on one device under two protocols, are two servos";
}

}  // namespace
}  // namespace torvane
