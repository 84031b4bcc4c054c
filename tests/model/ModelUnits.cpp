// The model's own sources (all but its entry point), compiled into the test
// program so that its parts and whole runs can be tested in the process.
#include "../../src/model/Crop.cpp"
#include "../../src/model/Model.cpp"
#include "../../src/model/ModelInput.cpp"
#include "../../src/model/Output.cpp"
#include "../../src/model/Season.cpp"
#include "../../src/model/SoilWater.cpp"
#include "../../src/model/Weather.cpp"
