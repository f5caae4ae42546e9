#pragma once

// The user's answer to the open-or-save question of a download.
enum TOpcionAbrirGuardar { mtAbrir, mtGuardar, mtCancelar };
