// Nubilux's icons: the cloud at rest (also the window's icon), the sun at work.
#pragma once
#define IDI_CLOUD 1
#define IDI_SUN 2
