# The source lists of common/'s libraries, relative to this folder. The
# browser build (web/) takes the portable lists only: processes, tool runs,
# file locks and the display have no page to run in. The device probes build
# there too and find no serial device in the page's own file system.
set(GDLKIT_FORMATS_PORTABLE
  TextUtil.cpp FileUtil.cpp LevelReference.cpp IniFile.cpp ProjectFile.cpp
  LynxText.cpp LinkHeader.cpp CompiledLevel.cpp LevelInfo.cpp LevelSetFile.cpp BatchScript.cpp
  CommandLine.cpp PathJoin.cpp SerialPreflight.cpp SerialAccess.cpp)
set(GDLKIT_FORMATS_NATIVE FileLock.cpp Display.cpp)
set(GDLKIT_PLATFORM_PORTABLE RegistryHive.cpp HiveRegistry.cpp Prompts.cpp LevelTool.cpp PortNames.cpp)
set(GDLKIT_PLATFORM_NATIVE
  Process.cpp ProcessSpawn.cpp Environment.cpp Registry.cpp ToolRunner.cpp BatchRunner.cpp LevelList.cpp)
