#pragma once

#include "topcionabrirguardar.h"

#include <QDialog>

class FileNameLabel;
class QLabel;
class QPushButton;

// The question asked for every download: open the file, save it, or neither.
class TWAbrirGuardar : public QDialog {
public:
    explicit TWAbrirGuardar(QWidget *parent);

    QString NbFile;   // the file's name
    QString TypeFile; // its MIME type
    TOpcionAbrirGuardar opcionSeleccionada = mtCancelar;

    QLabel *LBTitulo;
    QLabel *LBNombre;
    FileNameLabel *LBNbFile;
    QLabel *LBTipo;
    QLabel *LBTipoFile;
    QPushButton *Button1;
    QPushButton *Button2;
    QPushButton *Button3;

protected:
    void showEvent(QShowEvent *event) override;
};
