# The source lists of common/'s libraries, relative to this folder. The
# browser build (web/) takes the portable lists only: processes, tool runs,
# file locks and device probes have no browser to run in.
set(GDLKIT_FORMATS_PORTABLE
  TextUtil.cpp FileUtil.cpp LevelReference.cpp IniFile.cpp ProjectFile.cpp
  LynxText.cpp LinkHeader.cpp CompiledLevel.cpp LevelInfo.cpp LevelSetFile.cpp BatchScript.cpp
  CommandLine.cpp)
set(GDLKIT_FORMATS_NATIVE SerialPreflight.cpp FileLock.cpp Display.cpp)
set(GDLKIT_PLATFORM_PORTABLE RegistryHive.cpp HiveRegistry.cpp Prompts.cpp LevelTool.cpp)
set(GDLKIT_PLATFORM_NATIVE
  Process.cpp Environment.cpp Registry.cpp ToolRunner.cpp BatchRunner.cpp PortNames.cpp LevelList.cpp)
