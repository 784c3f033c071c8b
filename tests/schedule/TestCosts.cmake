# Seconds each long test takes in build/ on two cores (a cold run of test.sh), read by ctest to
# start the costliest first; its own measurements of later runs in the same folder take over.
# A parameterised test's name ends in its parameter, as ctest lists it.
set_tests_properties(
  [=[Examples/UndoProperty.UndoAllRedoAllAndMixedStepsMatchTheFiles/arm  # GetParam() = "arm.bot"]=]
  [=[Examples/UndoProperty.UndoAllRedoAllAndMixedStepsMatchTheFiles/gripper  # GetParam() = "gripper.bot"]=]
  PROPERTIES COST 60)
# The first two also take long in the sanitized run of build-fuzz.
set_tests_properties(ParameterBinding.AgreesWithTextualSubstitutionOnRandomEquations
  LoadMemory.HostileFilesLoadWithinFourTimesTheirSize
  UndoMenu.TwoHundredStepsOnAFiveHundredRoomRobotCostLittle PROPERTIES COST 13)
set_tests_properties(PathCommands.TheHelpPagesScriptExamplesExpandAndGraph
  ViewResizeTest.TheViewRedrawsAtFullSizeWhenItGrowsAgain
  ToolWindowPlacesTest.OpeningClosingAndShowingAgainMovesNoOtherWindow
  DamagedFiles.SeededMutationsLoadOrFailCleanly PROPERTIES COST 7)
set_tests_properties(MotionPlot.EachExampleDrivesWithinItsLimitTwentyTimesInARowThoughRoundsComeLate
  MotorTableTest.ADoubleClickEditsTheCellAndF4OrTheContextMenuOpenTheSpinWindow
  ToolWindowPlacesTest.ThePartsBarAndTheViewComeBackInViewOverThePlot
  MotionPlot.SimulateMotorsRoutesThePortsAndMarksTheDriveWindows
  ToolWindowPlacesTest.ThePlotOpenedFromControlMotorsStaysInFront
  DriveMotors.MeasuredPositionsStayBetweenDrivesAndZeroHereHomesAMotor
  UrdfOracle.GeneratedRobotsMatchKdlAndTheirStl
  UnsavedChanges.TheCaptionMarksChangesAndOnlyThenDoNewOpenAndCloseAsk PROPERTIES COST 3)
