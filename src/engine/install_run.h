// The install run.
#pragma once

void RunInstall();
