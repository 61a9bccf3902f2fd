#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <vector>

#include "telemetry/ByteReader.h"
#include "telemetry/TelemetryTypes.h"

namespace {

std::filesystem::path WriteTemp(const std::string& name, const std::vector<std::uint8_t>& bytes) {
  const auto path = std::filesystem::temp_directory_path() / ("vantrel-br-" + name);
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return path;
}

}  // namespace

TEST(ByteReader, ReadsBothByteOrders) {
  const std::uint8_t bytes[] = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08,
                                0x66, 0x74, 0x79, 0x70, 0x00, 0x00, 0xF0, 0x3F};
  ByteReader r(bytes, sizeof bytes);
  EXPECT_EQ(r.U16Le(), 0x0201);
  EXPECT_EQ(r.U16Be(), 0x0304);
  r.Seek(0);
  EXPECT_EQ(r.U32Le(), 0x04030201u);
  EXPECT_EQ(r.U32Be(), 0x05060708u);
  r.Seek(0);
  EXPECT_EQ(r.U64Be(), 0x0102030405060708ull);
  EXPECT_EQ(r.FourCC(), MakeFourCC("ftyp"));
  r.Seek(8);
  EXPECT_EQ(r.U64Le(), 0x3FF0000070797466ull);
  r.Seek(12);
  EXPECT_EQ(r.U32Le(), 0x3FF00000u);
  EXPECT_TRUE(r.Ok());
  EXPECT_EQ(r.Remaining(), 0u);
}

TEST(ByteReader, ErrorStaysSetAndReadsPastTheEndYieldZero) {
  const std::uint8_t bytes[] = {1, 2, 3};
  ByteReader r(bytes, sizeof bytes);
  EXPECT_EQ(r.U16Le(), 0x0201);
  EXPECT_EQ(r.U16Le(), 0);  // one byte left: fails, does not move
  EXPECT_TRUE(r.Failed());
  EXPECT_FALSE(r.IoError());
  EXPECT_EQ(r.Position(), 2u);
  EXPECT_EQ(r.U8(), 0);  // the byte is there, but the error stays set
  EXPECT_FALSE(r.Seek(0));

  ByteReader s(bytes, sizeof bytes);
  EXPECT_FALSE(s.Seek(4));
  EXPECT_TRUE(s.Failed());
  ByteReader t(bytes, sizeof bytes);
  EXPECT_TRUE(t.Seek(3));  // the end itself is a valid position
  EXPECT_FALSE(t.Skip(1));
}

TEST(ByteReader, HugeCountsFailWithoutAllocating) {
  const std::uint8_t bytes[] = {1, 2, 3, 4};
  ByteReader r(bytes, sizeof bytes);
  EXPECT_TRUE(r.ReadBytes(std::size_t(1) << 40).empty());
  EXPECT_TRUE(r.Failed());
  ByteReader s(bytes, sizeof bytes);
  EXPECT_FALSE(s.Skip(~0ull));
}

TEST(ByteReader, FileReadsAcrossCacheBlocksMatchMemoryReads) {
  std::vector<std::uint8_t> bytes(10000);
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i * 7 + i / 256);
  const auto path = WriteTemp("blocks", bytes);
  FileHandle file(path);
  ASSERT_TRUE(file.IsOpen());
  ByteReader f(file);
  ByteReader m(bytes.data(), bytes.size());
  EXPECT_EQ(f.Size(), bytes.size());
  // Reads straddling the 4 KiB blocks, a backward seek, a large direct read.
  for (std::uint64_t at : {0ull, 4094ull, 8190ull, 100ull, 9992ull}) {
    f.Seek(at);
    m.Seek(at);
    EXPECT_EQ(f.U64Be(), m.U64Be()) << at;
  }
  f.Seek(1);
  m.Seek(1);
  EXPECT_EQ(f.ReadBytes(9000), m.ReadBytes(9000));
  EXPECT_TRUE(f.Ok());
  f.Seek(9996);
  f.U64Le();
  EXPECT_TRUE(f.Failed());
  std::filesystem::remove(path);
}

TEST(ByteReader, LongSequentialScanThenJumpBackMatchesMemory) {
  std::vector<std::uint8_t> bytes(700001);
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>((i * 2654435761u) >> 13);
  const auto path = WriteTemp("scan", bytes);
  FileHandle file(path);
  ByteReader f(file);
  ByteReader m(bytes.data(), bytes.size());
  std::size_t mismatches = 0;
  for (std::uint64_t at = 3; at + 4 <= bytes.size(); at += 4) {
    f.Seek(at);
    m.Seek(at);
    mismatches += f.U32Le() != m.U32Le();
  }
  EXPECT_EQ(mismatches, 0u);
  f.Seek(17);
  m.Seek(17);
  EXPECT_EQ(f.U64Be(), m.U64Be());
  EXPECT_TRUE(f.Ok());
  std::filesystem::remove(path);
}

TEST(ByteReader, FileHandleRefusesMissingFilesAndDirectories) {
  FileHandle missing("/nonexistent/vantrel/file");
  EXPECT_FALSE(missing.IsOpen());
  FileHandle dir(std::filesystem::temp_directory_path());
  EXPECT_FALSE(dir.IsOpen());
  ByteReader r(missing);
  EXPECT_TRUE(r.Failed());
}

TEST(TelemetryRecords, GpsFixRoundTripsThroughItsFileForm) {
  GpsFix f;
  f.latitude = -2232.1234;
  f.longitude = 11355.9;
  f.altitude = -12;
  f.speed = 65535;
  f.year = 24;
  f.month = 5;
  f.day = 17;
  f.hour = 8;
  f.minute = 30;
  f.second = 14;
  f.heading = 179;
  f.status = 0xFF;
  std::uint8_t bytes[32];
  f.Encode(bytes);
  EXPECT_EQ(bytes[16], 0xF4);  // altitude, little-endian
  EXPECT_EQ(bytes[22], 24);
  const GpsFix g = GpsFix::Decode(bytes);
  EXPECT_EQ(g.latitude, f.latitude);
  EXPECT_EQ(g.longitude, f.longitude);
  EXPECT_EQ(g.altitude, -12);
  EXPECT_EQ(g.speed, 65535);
  EXPECT_EQ(g.HeadingDegrees(), 358);
  EXPECT_TRUE(g.IsValid());
  EXPECT_EQ(g.second, 14);

  const std::uint8_t wide[12] = {0xFF, 0xFF, 0xFF, 0xFF, 0x40, 0, 0, 0, 0x80, 0x01, 0, 0};
  const GSensorWideSample w = GSensorWideSample::Decode(wide);
  EXPECT_EQ(w.x, -1);
  EXPECT_EQ(w.y, 64);
  EXPECT_EQ(w.z, 0x180);  // the whole value, not its low byte
}
