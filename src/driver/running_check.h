// Running-program detection.
#pragma once

bool IsTargetRunning();
