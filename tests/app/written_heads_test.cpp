// Files that other programs read whole although their heads are not as the
// formats have them: sizes a writer never came back to, guessed or cut, a
// pad byte left out, zeros between chunks, ids with bytes past ASCII. Each,
// held as a clip of a project, is exported by the program and comes out as
// ffmpeg (or sox, where ffmpeg gives up) decodes it: sample for sample,
// frame for frame.
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>

#include "program_fixture.h"

#include "model/film_list.h"

namespace apptest {
namespace {

using Bytes = std::string;

void PutLe32(Bytes& b, std::size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<char>(v >> (8 * i));
}
void PutBe32(Bytes& b, std::size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<char>(v >> (8 * (3 - i)));
}
uint32_t Le32(const Bytes& b, std::size_t at) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(b[at + i]);
  return v;
}

// Where chunk id's header starts (the first of them after the 12-byte form
// header); the test fails when there is none.
std::size_t ChunkAt(const Bytes& b, const char* id) {
  const std::size_t at = b.find(id, 12);
  EXPECT_NE(at, Bytes::npos) << "no " << id;
  return at == Bytes::npos ? 0 : at;
}

// extra put in before chunk id, the RIFF size grown to match.
Bytes InsertBefore(Bytes b, const char* id, const Bytes& extra) {
  b.insert(ChunkAt(b, id), extra);
  PutLe32(b, 4, Le32(b, 4) + static_cast<uint32_t>(extra.size()));
  return b;
}

void WriteBytes(const std::string& path, const Bytes& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// What a tool decodes from a file: its first sound as 16-bit samples, or
// its pictures as one checksum per frame.
enum class Decoder { kFfmpegSound, kSoxSound, kFfmpegFrames };

std::string Decode(Decoder decoder, const std::string& path) {
  std::string out;
  switch (decoder) {
    case Decoder::kFfmpegSound:
      Shell("ffmpeg -v quiet -i " + Quoted(path) + " -map 0:a:0 -f s16le -", &out);
      break;
    case Decoder::kSoxSound:
      Shell("sox -D " + Quoted(path) + " -t raw -e signed-integer -b 16 -L - 2>/dev/null", &out);
      break;
    case Decoder::kFfmpegFrames: {
      std::string lines;
      Shell("ffmpeg -v quiet -i " + Quoted(path) + " -map 0:v:0 -f framemd5 -", &lines);
      // "stream, dts, pts, duration, size, checksum" per frame: the checksums.
      std::istringstream in(lines);
      for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#') continue;
        out += line.substr(line.rfind(',') + 1) + "\n";
      }
      break;
    }
  }
  return out;
}

// The first difference between two decodings, as a text; empty when equal.
std::string Difference(const std::string& got, const std::string& expected, std::size_t unit) {
  if (got == expected) return "";
  std::size_t i = 0;
  while (i < got.size() && i < expected.size() && got[i] == expected[i]) ++i;
  return (unit == 2 ? "sample " : "byte ") + std::to_string(i / unit) + " of " + std::to_string(got.size() / unit) +
         " (" + std::to_string(expected.size() / unit) + " expected) differs";
}

class WrittenHeads : public ProgramTest {
 protected:
  // A project of the one file as a clip at 0; whether the clip was taken.
  bool ProjectOf(const std::string& project, const std::string& media) {
    Start();
    MakeProject(project, {media});
    const bool taken = !FilmList.Empty();
    Stop();
    return taken;
  }
};

TEST_F(WrittenHeads, ExportAsTheToolsDecodeThem) {
  if (!HaveTool("sox") || !HaveTool("ffmpeg")) GTEST_SKIP() << "sox and ffmpeg make and decode the files";
  // One second at the program's own rate, two tones; and three seconds of
  // pictures at the project's frame rate.
  const std::string tone = "-r 44100 -c 2 -b 16 -e signed-integer";
  ASSERT_TRUE(Shell("sox -D -n " + tone + " " + Quoted(File("base.wav")) + " synth 1 sine 440 sine 1250 vol 0.9"));
  ASSERT_TRUE(Shell("sox -D -n " + tone + " " + Quoted(File("base.aif")) + " synth 1 sine 330 sine 900 vol 0.8"));
  ASSERT_TRUE(Shell("ffmpeg -v error -f lavfi -i testsrc=size=160x120:rate=25 -t 3 -c:v mjpeg -q:v 5 " +
                    Quoted(File("base.avi"))));
  const Bytes wav = ReadFile(File("base.wav")), aif = ReadFile(File("base.aif")), avi = ReadFile(File("base.avi"));

  const struct {
    const char* what;
    const char* name;
    std::function<Bytes()> make;
    Decoder reference;
  } cases[] = {
      {"a RIFF size smaller than its chunks", "riff100.wav",
       [&] {
         Bytes b = wav;
         PutLe32(b, 4, 100);
         return b;
       },
       Decoder::kFfmpegSound},
      {"RIFF and data sizes never written, as a killed writer leaves them", "unwritten.wav",
       [&] {
         Bytes b = wav;
         PutLe32(b, 4, 0);
         PutLe32(b, ChunkAt(b, "data") + 4, 0);
         return b;
       },
       Decoder::kFfmpegSound},
      {"an odd-sized fmt chunk without its pad byte", "unpadded.wav",
       [&] {
         Bytes b = InsertBefore(wav, "data", Bytes(1, '\0'));
         PutLe32(b, ChunkAt(b, "fmt ") + 4, 17);
         return b;
       },
       Decoder::kSoxSound},  // ffmpeg looks for "data" one byte on
      {"eight zero bytes between fmt and data", "zeros8.wav", [&] { return InsertBefore(wav, "data", Bytes(8, '\0')); },
       Decoder::kFfmpegSound},
      {"a block of zero bytes between fmt and data", "zeros4096.wav",
       [&] { return InsertBefore(wav, "data", Bytes(4096, '\0')); }, Decoder::kFfmpegSound},
      {"a chunk id with a byte past ASCII", "title.wav",
       [&] { return InsertBefore(wav, "data", Bytes("\xA9nam\x06\0\0\0title!", 14)); }, Decoder::kFfmpegSound},
      {"a FORM size smaller than its chunks", "form100.aif",
       [&] {
         Bytes b = aif;
         PutBe32(b, 4, 100);
         return b;
       },
       Decoder::kFfmpegSound},
      {"a FORM size never written", "form0.aif",
       [&] {
         Bytes b = aif;
         PutBe32(b, 4, 0);
         return b;
       },
       Decoder::kSoxSound},  // ffmpeg refuses it
      {"an SSND size never written", "ssnd0.aif",
       [&] {
         Bytes b = aif;
         PutBe32(b, ChunkAt(b, "SSND") + 4, 0);
         return b;
       },
       Decoder::kSoxSound},  // ffmpeg refuses it
      {"an SSND size past the end", "ssndlong.aif",
       [&] {
         Bytes b = aif;
         PutBe32(b, ChunkAt(b, "SSND") + 4, 0x7FFFFFFF);
         return b;
       },
       Decoder::kFfmpegSound},
      {"an AVI cut at 60 %, before its index", "cut.avi", [&] { return avi.substr(0, avi.size() * 6 / 10); },
       Decoder::kFfmpegFrames},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string path = File(c.name);
    WriteBytes(path, c.make());
    const bool video = c.reference == Decoder::kFfmpegFrames;
    const std::string expected = Decode(c.reference, path);
    ASSERT_FALSE(expected.empty()) << "the tool reads nothing of " << path;
    if (!video) {
      // The tool reads it whole.
      const std::string base = File(std::string("base.") + (path.back() == 'f' ? "aif" : "wav"));
      ASSERT_EQ(expected, Decode(Decoder::kFfmpegSound, base));
    }

    const std::string project = path + ".tml";
    ASSERT_TRUE(ProjectOf(project, path)) << "the program did not take " << path;
    const std::string out = File(video ? "out.avi" : "out.wav");
    std::filesystem::remove(out);
    std::string errors;
    ASSERT_EQ(RunProgram(Quoted(project) + (video ? " /avi " : " /wave ") + Quoted(out), &errors, "", 120), 0)
        << errors;
    std::string got = Decode(video ? Decoder::kFfmpegFrames : Decoder::kFfmpegSound, out);
    if (video) {
      // The frame the cut ends inside is handed on as far as its data goes;
      // what ffmpeg leaves below that is whatever its buffer held before,
      // which changes run to run on a busy machine. Every whole frame, and
      // the count, must be the tool's.
      const std::size_t line = 33;
      ASSERT_EQ(got.size(), expected.size()) << out;
      ASSERT_GE(got.size(), line);
      got.replace(got.size() - line, line, expected, expected.size() - line, line);
    }
    EXPECT_EQ(Difference(got, expected, video ? 33 : 2), "") << out;
  }
}

}  // namespace
}  // namespace apptest
