// A project whose clip goes through an effect whose module is no longer
// installed: the unattended export names the effect and writes the sound
// without it.
#include <filesystem>

#include "effects_project.h"

#include "platform/components/effects/effect_classes.h"
#include "platform/core/registry.h"
#include "support/effects_registry.h"

namespace apptest {
namespace {

class MissingEffect : public EffectsProgramTest {};

TEST_F(MissingEffect, AnEffectWhoseModuleIsGoneIsNamedAndTheRestExported) {
  WriteTone(File("tone.wav"), 1000);
  const std::string project = Project(File("tone.wav"), GainList(0.5f), nullptr, nullptr);
  // The user's registry, which has the last word, names a module that is not there.
  std::string registry = BuildEffectsRegistryText();
  const std::size_t module = registry.find("KXGAIN.DLL");
  ASSERT_NE(module, std::string::npos);
  registry.replace(module, 10, "KXGONE.DLL");
  WriteFileText(RegistryFilePath(), registry);

  std::string output;
  EXPECT_EQ(Kobrix(Quoted(project) + " /wave " + Quoted(File("out.wav")), &output), 0) << output;
  EXPECT_NE(output.find(std::string("kobrix: Open Audio Effects: These audio effects are not installed on this "
                                    "system: ") +
                        kGainProgId),
            std::string::npos)
      << output;
  EXPECT_TRUE(std::filesystem::exists(File("out.wav")));
}

}  // namespace
}  // namespace apptest
