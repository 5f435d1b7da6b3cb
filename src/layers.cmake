# Which folder of src/ may include which: each layer names the layers right below it, and may
# include from those, from what they may include, and from itself. The main_*.cpp files at the
# top of src/ are the programs. tests/CMakeLists.txt checks every include of src/ against this
# table on every build, on every host (cmake/check_layers.cmake).
set(TARVEL_LAYERS
  numtext motion controller platform state
  link winding manual profile
  ui app memory win32 posix program practice plan programs)

set(TARVEL_BELOW_numtext "")
set(TARVEL_BELOW_motion "")
set(TARVEL_BELOW_controller motion)                  # the practice controller's queue
set(TARVEL_BELOW_platform "")                        # the interfaces to the outside world
set(TARVEL_BELOW_state platform)
# The core's subsystems: the link at the bottom, the cycles over it, the manual panel over both.
set(TARVEL_BELOW_link state motion numtext)
set(TARVEL_BELOW_winding link)
set(TARVEL_BELOW_manual winding link)
set(TARVEL_BELOW_profile state numtext)
set(TARVEL_BELOW_ui platform)                        # the window as data
set(TARVEL_BELOW_app manual winding link profile ui)
# The two implementations of the platform, each over the window's table.
set(TARVEL_BELOW_memory ui)
set(TARVEL_BELOW_win32 ui)
set(TARVEL_BELOW_posix platform)
set(TARVEL_BELOW_program app memory)                 # the whole program in memory
set(TARVEL_BELOW_practice winding controller)
set(TARVEL_BELOW_plan program)
set(TARVEL_BELOW_programs app practice plan win32 posix)
