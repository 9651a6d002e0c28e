<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="es" sourcelanguage="en">
<context>
    <name>AcquisitionTestWindow</name>
    <message>
        <source>Acquisition test</source>
        <translation>Prueba de adquisición</translation>
    </message>
    <message>
        <source>mm/s</source>
        <translation>mm/s</translation>
    </message>
    <message>
        <source>12.5</source>
        <translation>12.5</translation>
    </message>
    <message>
        <source>25</source>
        <translation>25</translation>
    </message>
    <message>
        <source>50</source>
        <translation>50</translation>
    </message>
    <message>
        <source>mm/mV</source>
        <translation>mm/mV</translation>
    </message>
    <message>
        <source>5</source>
        <translation>5</translation>
    </message>
    <message>
        <source>10</source>
        <translation>10</translation>
    </message>
    <message>
        <source>20</source>
        <translation>20</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Cerrar</translation>
    </message>
    <message>
        <source>End the test and free the device</source>
        <translation>Terminar la prueba y liberar el dispositivo</translation>
    </message>
</context>
<context>
    <name>BPDialog</name>
    <message>
        <source>Enter BP</source>
        <translation>Introducir PA</translation>
    </message>
    <message>
        <source>Stage: </source>
        <translation>Etapa: </translation>
    </message>
    <message>
        <source>SBP / DBP</source>
        <translation>PAS / PAD</translation>
    </message>
    <message>
        <source>900</source>
        <translation>900</translation>
    </message>
    <message>
        <source>/</source>
        <translation>/</translation>
    </message>
    <message>
        <source>Print this stage</source>
        <translation>Imprimir esta etapa</translation>
    </message>
    <message>
        <source>Stage: %1</source>
        <translation>Etapa: %1</translation>
    </message>
</context>
<context>
    <name>ConfigDialog</name>
    <message>
        <source>Configuration</source>
        <translation>Configuración</translation>
    </message>
    <message>
        <source>Report/header</source>
        <translation>Informe/encabezado</translation>
    </message>
    <message>
        <source>Report/signature</source>
        <translation>Informe/firma</translation>
    </message>
    <message>
        <source>Acquisition</source>
        <translation>Adquisición</translation>
    </message>
    <message>
        <source>Stress test</source>
        <translation>Prueba de esfuerzo</translation>
    </message>
    <message>
        <source>Export reports</source>
        <translation>Exportar informes</translation>
    </message>
    <message>
        <source>Export studies</source>
        <translation>Exportar estudios</translation>
    </message>
    <message>
        <source>DICOM interface</source>
        <translation>Interfaz DICOM</translation>
    </message>
    <message>
        <source>Hardware</source>
        <translation>Hardware</translation>
    </message>
    <message>
        <source>Measurements</source>
        <translation>Mediciones</translation>
    </message>
    <message>
        <source>Report header</source>
        <translation>Encabezado del informe</translation>
    </message>
    <message>
        <source>Logo</source>
        <translation>Logotipo</translation>
    </message>
    <message>
        <source>[none]</source>
        <translation>[ninguno]</translation>
    </message>
    <message>
        <source>Logo image</source>
        <translation>Imagen del logotipo</translation>
    </message>
    <message>
        <source>Change...</source>
        <translation>Cambiar...</translation>
    </message>
    <message>
        <source>Remove</source>
        <translation>Quitar</translation>
    </message>
    <message>
        <source>Title</source>
        <translation>Título</translation>
    </message>
    <message>
        <source>Additional info</source>
        <translation>Información adicional</translation>
    </message>
    <message>
        <source>Report signature</source>
        <translation>Firma del informe</translation>
    </message>
    <message>
        <source>Signature image</source>
        <translation>Imagen de la firma</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Nombre</translation>
    </message>
    <message>
        <source>License</source>
        <translation>N.º de colegiado</translation>
    </message>
    <message>
        <source>Acquisition mode</source>
        <translation>Modo de adquisición</translation>
    </message>
    <message>
        <source>Cardivex ECG device (USB)</source>
        <translation>Electrocardiógrafo Cardivex (USB)</translation>
    </message>
    <message>
        <source>Cardivex ECG device (Bluetooth)</source>
        <translation>Electrocardiógrafo Cardivex (Bluetooth)</translation>
    </message>
    <message>
        <source>Bluetooth port</source>
        <translation>Puerto Bluetooth</translation>
    </message>
    <message>
        <source>COM5</source>
        <translation>COM5</translation>
    </message>
    <message>
        <source>Detect</source>
        <translation>Detectar</translation>
    </message>
    <message>
        <source>Replay ECG file (demo)</source>
        <translation>Reproducir archivo de ECG (demostración)</translation>
    </message>
    <message>
        <source>Test</source>
        <translation>Probar</translation>
    </message>
    <message>
        <source>Try the acquisition device with the settings on this form</source>
        <translation>Probar el dispositivo de adquisición con los ajustes de este formulario</translation>
    </message>
    <message>
        <source>Ergometer workload units</source>
        <translation>Unidades de carga del ergómetro</translation>
    </message>
    <message>
        <source>Watts</source>
        <translation>Vatios</translation>
    </message>
    <message>
        <source>Kgm/min</source>
        <translation>Kgm/min</translation>
    </message>
    <message>
        <source>Ergometer control</source>
        <translation>Control del ergómetro</translation>
    </message>
    <message>
        <source>Equipment</source>
        <translation>Equipo</translation>
    </message>
    <message>
        <source>Port</source>
        <translation>Puerto</translation>
    </message>
    <message>
        <source>COM3</source>
        <translation>COM3</translation>
    </message>
    <message>
        <source>Treadmill control</source>
        <translation>Control de la cinta rodante</translation>
    </message>
    <message>
        <source>COM4</source>
        <translation>COM4</translation>
    </message>
    <message>
        <source>Auto-export report files</source>
        <translation>Exportar automáticamente los informes</translation>
    </message>
    <message>
        <source>Reports are exported when saved as PDF files.</source>
        <translation>Los informes se exportan al guardarse como archivos PDF.</translation>
    </message>
    <message>
        <source>ECG reports folder</source>
        <translation>Carpeta de informes de ECG</translation>
    </message>
    <message>
        <source>Select folder</source>
        <translation>Seleccionar carpeta</translation>
    </message>
    <message>
        <source>Stress reports folder</source>
        <translation>Carpeta de informes de esfuerzo</translation>
    </message>
    <message>
        <source>Auto-export new studies</source>
        <translation>Exportar automáticamente los estudios nuevos</translation>
    </message>
    <message>
        <source>Studies are exported when recording is finished.</source>
        <translation>Los estudios se exportan al terminar el registro.</translation>
    </message>
    <message>
        <source>ECG studies folder</source>
        <translation>Carpeta de estudios de ECG</translation>
    </message>
    <message>
        <source>Stress studies folder</source>
        <translation>Carpeta de estudios de esfuerzo</translation>
    </message>
    <message>
        <source>Worklist</source>
        <translation>Lista de trabajo</translation>
    </message>
    <message>
        <source>Peer hostname/address</source>
        <translation>Nombre o dirección del servidor</translation>
    </message>
    <message>
        <source>Peer port</source>
        <translation>Puerto del servidor</translation>
    </message>
    <message>
        <source>Peer title</source>
        <translation>Título AE del servidor</translation>
    </message>
    <message>
        <source>Client title</source>
        <translation>Título AE del cliente</translation>
    </message>
    <message>
        <source>Worklist queries are not available in this version: these fields are not saved.</source>
        <translation>Las consultas de lista de trabajo no están disponibles en esta versión: estos campos no se guardan.</translation>
    </message>
    <message>
        <source>Warning: for tech-support use only</source>
        <translation>Atención: solo para el servicio técnico</translation>
    </message>
    <message>
        <source>color: #e0a030; font-weight: bold;</source>
        <translation>color: #e0a030; font-weight: bold;</translation>
    </message>
    <message>
        <source>Low battery level</source>
        <translation>Nivel de batería baja</translation>
    </message>
    <message>
        <source>volts</source>
        <translation>voltios</translation>
    </message>
    <message>
        <source>Signal gain</source>
        <translation>Ganancia de la señal</translation>
    </message>
    <message>
        <source>mV (+/- range)</source>
        <translation>mV (rango +/-)</translation>
    </message>
    <message>
        <source>HR protocol</source>
        <translation>Protocolo FC</translation>
    </message>
    <message>
        <source>Restore defaults</source>
        <translation>Restablecer valores predeterminados</translation>
    </message>
    <message>
        <source>ECG measurement</source>
        <translation>Medición del ECG</translation>
    </message>
    <message>
        <source>QTc formula</source>
        <translation>Fórmula del QTc</translation>
    </message>
    <message>
        <source>Bazett&apos;s formula over-corrects the QT at the fast heart rates of small animals; Van de Water&apos;s was fitted to dogs. The review window, the reports and the strip name the formula beside the QTc.</source>
        <translation>La fórmula de Bazett sobrecorrige el QT con las frecuencias cardiacas altas de los animales pequeños; la de Van de Water se ajustó en perros. La ventana de revisión, los informes y la tira indican la fórmula junto al QTc.</translation>
    </message>
    <message>
        <source>Open Image</source>
        <translation>Abrir imagen</translation>
    </message>
    <message>
        <source>Image Files (*.png *.jpg *.bmp)</source>
        <translation>Archivos de imagen (*.png *.jpg *.bmp)</translation>
    </message>
    <message>
        <source>Warning</source>
        <translation>Advertencia</translation>
    </message>
    <message>
        <source>Select shared folder</source>
        <translation>Seleccionar carpeta compartida</translation>
    </message>
    <message>
        <source>The configuration was not saved:</source>
        <translation>No se guardó la configuración:</translation>
    </message>
    <message>
        <source>The configuration could not be saved.</source>
        <translation>No se pudo guardar la configuración.</translation>
    </message>
    <message>
        <source>Logo image could not be loaded from file: %1</source>
        <translation>No se pudo cargar la imagen del logotipo desde el archivo: %1</translation>
    </message>
    <message>
        <source>Signature image could not be loaded from file: %1</source>
        <translation>No se pudo cargar la imagen de la firma desde el archivo: %1</translation>
    </message>
    <message>
        <source>Information</source>
        <translation>Información</translation>
    </message>
    <message>
        <source>Make sure that the device has been paired and is turned on.
Press &lt;OK&gt; to continue.</source>
        <translation>Compruebe que el dispositivo está emparejado y encendido.
Pulse &lt;Aceptar&gt; para continuar.</translation>
    </message>
    <message>
        <source>Leave names out of EDF+ files (the study&apos;s identifiers instead)</source>
        <translation>Sin nombres en los archivos EDF+ (los identificadores del estudio en su lugar)</translation>
    </message>
    <message>
        <source>EDF+ files sent to colleagues carry the patient code and study id, not the names of the animal, owner or technician</source>
        <translation>Los archivos EDF+ enviados a colegas llevan el código de paciente y el id del estudio, no los nombres del animal, del propietario ni del técnico</translation>
    </message>
</context>
<context>
    <name>EcgMonitorWindow</name>
    <message>
        <source>Resting ECG</source>
        <translation>ECG en reposo</translation>
    </message>
    <message>
        <source> 0:00</source>
        <translation> 0:00</translation>
    </message>
    <message>
        <source>---</source>
        <translation>---</translation>
    </message>
    <message>
        <source>mm/s</source>
        <translation>mm/s</translation>
    </message>
    <message>
        <source>12.5</source>
        <translation>12.5</translation>
    </message>
    <message>
        <source>25</source>
        <translation>25</translation>
    </message>
    <message>
        <source>50</source>
        <translation>50</translation>
    </message>
    <message>
        <source>mm/mV</source>
        <translation>mm/mV</translation>
    </message>
    <message>
        <source>5</source>
        <translation>5</translation>
    </message>
    <message>
        <source>10</source>
        <translation>10</translation>
    </message>
    <message>
        <source>20</source>
        <translation>20</translation>
    </message>
    <message>
        <source>Filters</source>
        <translation>Filtros</translation>
    </message>
    <message>
        <source>BF</source>
        <translation>BF</translation>
    </message>
    <message>
        <source>Baseline filter</source>
        <translation>Filtro de línea de base</translation>
    </message>
    <message>
        <source>MF</source>
        <translation>MF</translation>
    </message>
    <message>
        <source>Muscle noise filter</source>
        <translation>Filtro de ruido muscular</translation>
    </message>
    <message>
        <source>NF</source>
        <translation>NF</translation>
    </message>
    <message>
        <source>Line notch filter</source>
        <translation>Filtro de red (notch)</translation>
    </message>
    <message>
        <source>Start</source>
        <translation>Iniciar</translation>
    </message>
    <message>
        <source>Start recording</source>
        <translation>Iniciar el registro</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Detener</translation>
    </message>
    <message>
        <source>Stop recording</source>
        <translation>Detener el registro</translation>
    </message>
    <message>
        <source>Repeat</source>
        <translation>Repetir</translation>
    </message>
    <message>
        <source>Repeat recording</source>
        <translation>Repetir el registro</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Guardar</translation>
    </message>
    <message>
        <source>Save recording</source>
        <translation>Guardar el registro</translation>
    </message>
    <message>
        <source>Inoperative ECG</source>
        <translation>ECG inoperativo</translation>
    </message>
    <message>
        <source>Simulated ECG</source>
        <translation>ECG simulado</translation>
    </message>
</context>
<context>
    <name>EcgReviewWindow</name>
    <message>
        <source>12.5</source>
        <translation>12.5</translation>
    </message>
    <message>
        <source>25</source>
        <translation>25</translation>
    </message>
    <message>
        <source>50</source>
        <translation>50</translation>
    </message>
    <message>
        <source>mm/s</source>
        <translation>mm/s</translation>
    </message>
    <message>
        <source>5</source>
        <translation>5</translation>
    </message>
    <message>
        <source>10</source>
        <translation>10</translation>
    </message>
    <message>
        <source>20</source>
        <translation>20</translation>
    </message>
    <message>
        <source>mm/mV</source>
        <translation>mm/mV</translation>
    </message>
    <message>
        <source>BF</source>
        <translation>BF</translation>
    </message>
    <message>
        <source>Baseline filter</source>
        <translation>Filtro de línea de base</translation>
    </message>
    <message>
        <source>MF</source>
        <translation>MF</translation>
    </message>
    <message>
        <source>Muscle noise filter</source>
        <translation>Filtro de ruido muscular</translation>
    </message>
    <message>
        <source>NF</source>
        <translation>NF</translation>
    </message>
    <message>
        <source>Line notch filter</source>
        <translation>Filtro de red (notch)</translation>
    </message>
    <message>
        <source> 0:00</source>
        <translation> 0:00</translation>
    </message>
    <message>
        <source>---</source>
        <translation>---</translation>
    </message>
    <message>
        <source>Study data</source>
        <translation>Datos</translation>
    </message>
    <message>
        <source>Edit the study data</source>
        <translation>Editar los datos del estudio</translation>
    </message>
    <message>
        <source>Print</source>
        <translation>Imprimir</translation>
    </message>
    <message>
        <source>Print the report</source>
        <translation>Imprimir el informe</translation>
    </message>
    <message>
        <source>Measurements</source>
        <translation>Mediciones</translation>
    </message>
    <message>
        <source>Measurement</source>
        <translation>Medición</translation>
    </message>
    <message>
        <source>Value</source>
        <translation>Valor</translation>
    </message>
    <message>
        <source>Range</source>
        <translation>Rango</translation>
    </message>
    <message>
        <source>Events</source>
        <translation>Eventos</translation>
    </message>
    <message>
        <source>Time</source>
        <translation>Tiempo</translation>
    </message>
    <message>
        <source>Description</source>
        <translation>Descripción</translation>
    </message>
    <message>
        <source>Add an event at the shown time</source>
        <translation>Añadir un evento en el tiempo mostrado</translation>
    </message>
    <message>
        <source>Remove the event</source>
        <translation>Eliminar el evento</translation>
    </message>
    <message>
        <source>Conclusion</source>
        <translation>Conclusión</translation>
    </message>
    <message>
        <source>Enter study conclusions</source>
        <translation>Introduzca las conclusiones del estudio</translation>
    </message>
    <message>
        <source>Double-click a sentence to add it to the conclusion</source>
        <translation>Haga doble clic en una frase para añadirla a la conclusión</translation>
    </message>
    <message>
        <source>Add a sentence</source>
        <translation>Añadir una frase</translation>
    </message>
    <message>
        <source>Remove the sentence</source>
        <translation>Eliminar la frase</translation>
    </message>
    <message>
        <source>▲</source>
        <translation>▲</translation>
    </message>
    <message>
        <source>Move up</source>
        <translation>Subir</translation>
    </message>
    <message>
        <source>▼</source>
        <translation>▼</translation>
    </message>
    <message>
        <source>Move down</source>
        <translation>Bajar</translation>
    </message>
    <message>
        <source>Alphabetical sort</source>
        <translation>Orden alfabético</translation>
    </message>
    <message>
        <source>P onset</source>
        <translation>Inicio de la onda P</translation>
    </message>
    <message>
        <source>P end</source>
        <translation>Final de la onda P</translation>
    </message>
    <message>
        <source>P peak</source>
        <translation>Pico de la onda P</translation>
    </message>
    <message>
        <source>QRS onset</source>
        <translation>Inicio del QRS</translation>
    </message>
    <message>
        <source>QRS end</source>
        <translation>Final del QRS</translation>
    </message>
    <message>
        <source>T onset</source>
        <translation>Inicio de la onda T</translation>
    </message>
    <message>
        <source>T end</source>
        <translation>Final de la onda T</translation>
    </message>
    <message>
        <source>T peak</source>
        <translation>Pico de la onda T</translation>
    </message>
    <message>
        <source>Warning</source>
        <translation>Advertencia</translation>
    </message>
    <message>
        <source>QTc %1 (ms)</source>
        <translation>QTc %1 (ms)</translation>
    </message>
    <message>
        <source>Measurement lead</source>
        <translation>Derivación de medición</translation>
    </message>
    <message>
        <source>Selected beat</source>
        <translation>Latido seleccionado</translation>
    </message>
    <message>
        <source>Average beat</source>
        <translation>Latido promedio</translation>
    </message>
    <message>
        <source>Place point</source>
        <translation>Situar punto</translation>
    </message>
    <message>
        <source>Auto measurement</source>
        <translation>Medición automática</translation>
    </message>
    <message>
        <source>Selection mode</source>
        <translation>Modo de selección</translation>
    </message>
    <message>
        <source>Caliper mode</source>
        <translation>Modo calibrador</translation>
    </message>
    <message>
        <source>Hexaxial order</source>
        <translation>Orden hexaxial</translation>
    </message>
    <message>
        <source>Export EDF+...</source>
        <translation>EDF+...</translation>
    </message>
    <message>
        <source>Write the recording, its events and stages as an EDF+ file for other ECG viewers</source>
        <translation>Guardar el registro, sus eventos y etapas como archivo EDF+ para otros visores de ECG</translation>
    </message>
</context>
<context>
    <name>EchoDialog</name>
    <message>
        <source>Stress echocardiography scoring</source>
        <translation>Puntuación de ecocardiografía de estrés</translation>
    </message>
    <message>
        <source>Wall motion of each segment: 1 normal, 2 hypokinetic, 3 akinetic, 4 dyskinetic; empty where the segment was not seen.</source>
        <translation>Motilidad parietal de cada segmento: 1 normal, 2 hipocinético, 3 acinético, 4 discinético; vacío si el segmento no se visualizó.</translation>
    </message>
    <message>
        <source>Segment</source>
        <translation>Segmento</translation>
    </message>
    <message>
        <source>Rest</source>
        <translation>Reposo</translation>
    </message>
    <message>
        <source>Peak</source>
        <translation>Pico</translation>
    </message>
    <message>
        <source>Post</source>
        <translation>Post</translation>
    </message>
    <message>
        <source>Wall motion score index</source>
        <translation>Índice de motilidad parietal</translation>
    </message>
    <message>
        <source>---</source>
        <translation>---</translation>
    </message>
</context>
<context>
    <name>EdfExportPrompt</name>
    <message>
        <source>Export EDF+</source>
        <translation>Exportar EDF+</translation>
    </message>
    <message>
        <source>EDF+ files (*.edf)</source>
        <translation>Archivos EDF+ (*.edf)</translation>
    </message>
    <message>
        <source>Warning</source>
        <translation>Advertencia</translation>
    </message>
</context>
<context>
    <name>ElectrodeStatusWidget</name>
    <message>
        <source>Form</source>
        <translation>Formulario</translation>
    </message>
    <message>
        <source>Electrode status</source>
        <translation>Estado de los electrodos</translation>
    </message>
    <message>
        <source>LA</source>
        <translation>LA</translation>
    </message>
    <message>
        <source>LL</source>
        <translation>LL</translation>
    </message>
    <message>
        <source>RA</source>
        <translation>RA</translation>
    </message>
    <message>
        <source>V1</source>
        <translation>V1</translation>
    </message>
    <message>
        <source>V2</source>
        <translation>V2</translation>
    </message>
    <message>
        <source>V3</source>
        <translation>V3</translation>
    </message>
    <message>
        <source>V4</source>
        <translation>V4</translation>
    </message>
    <message>
        <source>V5</source>
        <translation>V5</translation>
    </message>
    <message>
        <source>V6</source>
        <translation>V6</translation>
    </message>
    <message>
        <source>Do not show again</source>
        <translation>No volver a mostrar</translation>
    </message>
    <message>
        <source>x</source>
        <translation>x</translation>
    </message>
</context>
<context>
    <name>EventListEditor</name>
    <message>
        <source>Time</source>
        <translation>Tiempo</translation>
    </message>
    <message>
        <source>Description</source>
        <translation>Descripción</translation>
    </message>
    <message>
        <source>Print</source>
        <translation>Imprimir</translation>
    </message>
    <message>
        <source>Enter description</source>
        <translation>Introduzca la descripción</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>VETERINARIA</source>
        <translation>VETERINARIA</translation>
    </message>
    <message>
        <source>ECG+&lt;br/&gt;ERGO</source>
        <translation>ECG+&lt;br/&gt;ERGO</translation>
    </message>
    <message>
        <source>v</source>
        <translation>v</translation>
    </message>
    <message>
        <source>New Stress Test</source>
        <translation>Nueva prueba de esfuerzo</translation>
    </message>
    <message>
        <source>New ECG</source>
        <translation>Nuevo ECG</translation>
    </message>
    <message>
        <source>Open study</source>
        <translation>Abrir estudio</translation>
    </message>
    <message>
        <source>Configuration</source>
        <translation>Configuración</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Cerrar</translation>
    </message>
    <message>
        <source>Last name (s)</source>
        <translation>Apellido(s)</translation>
    </message>
    <message>
        <source>First name(s)</source>
        <translation>Nombre(s)</translation>
    </message>
    <message>
        <source>Age</source>
        <translation>Edad</translation>
    </message>
    <message>
        <source>Sex</source>
        <translation>Sexo</translation>
    </message>
    <message>
        <source>Male</source>
        <translation>Macho</translation>
    </message>
    <message>
        <source>Female</source>
        <translation>Hembra</translation>
    </message>
    <message>
        <source>Protocol</source>
        <translation>Protocolo</translation>
    </message>
    <message>
        <source>Patient ID</source>
        <translation>ID del paciente</translation>
    </message>
    <message>
        <source>Person ID</source>
        <translation>DNI del propietario</translation>
    </message>
    <message>
        <source>Worklist...</source>
        <translation>Lista de trabajo...</translation>
    </message>
    <message>
        <source>More...</source>
        <translation>Más...</translation>
    </message>
    <message>
        <source>Start</source>
        <translation>Iniciar</translation>
    </message>
    <message>
        <source>Recent studies</source>
        <translation>Estudios recientes</translation>
    </message>
    <message>
        <source>Id</source>
        <translation>Id</translation>
    </message>
    <message>
        <source>Patient</source>
        <translation>Paciente</translation>
    </message>
    <message>
        <source>Date</source>
        <translation>Fecha</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>Abrir</translation>
    </message>
    <message>
        <source>v %1</source>
        <translation>v %1</translation>
    </message>
    <message>
        <source>The protocol table could not be read (%1); the example protocol is used.</source>
        <translation>No se pudo leer la tabla de protocolos (%1); se usa el protocolo de ejemplo.</translation>
    </message>
    <message>
        <source>The study folder is not available: no study can be recorded or opened.</source>
        <translation>La carpeta de estudios no está disponible: no se puede registrar ni abrir ningún estudio.</translation>
    </message>
    <message>
        <source>Warning</source>
        <translation>Advertencia</translation>
    </message>
    <message>
        <source>There is not enough free space on disk.
Please free at least 50 MB to start a new study.</source>
        <translation>No hay suficiente espacio libre en el disco.
Libere al menos 50 MB para iniciar un estudio nuevo.</translation>
    </message>
    <message>
        <source>Cannot load protocol</source>
        <translation>No se puede cargar el protocolo</translation>
    </message>
    <message>
        <source>Information</source>
        <translation>Información</translation>
    </message>
    <message>
        <source>Study file was succesfully exported to folder: %1</source>
        <translation>El archivo del estudio se exportó correctamente a la carpeta: %1</translation>
    </message>
    <message>
        <source>Study file could not be exported to folder: %1
Please check shared folder access with your network administrator.</source>
        <translation>No se pudo exportar el archivo del estudio a la carpeta: %1
Consulte el acceso a la carpeta compartida con su administrador de red.</translation>
    </message>
    <message>
        <source>Study is already open for review</source>
        <translation>El estudio ya está abierto para revisión</translation>
    </message>
    <message>
        <source>Study file not found</source>
        <translation>No se encontró el archivo del estudio</translation>
    </message>
</context>
<context>
    <name>MonitorPanels</name>
    <message>
        <source>Double panel</source>
        <translation>Panel doble</translation>
    </message>
    <message>
        <source>Hexaxial order</source>
        <translation>Orden hexaxial</translation>
    </message>
    <message>
        <source>Average beat</source>
        <translation>Latido promedio</translation>
    </message>
</context>
<context>
    <name>OpenStudyDialog</name>
    <message>
        <source>Select study</source>
        <translation>Seleccionar estudio</translation>
    </message>
    <message>
        <source>Find by name</source>
        <translation>Buscar por nombre</translation>
    </message>
    <message>
        <source>last or first name, in parts</source>
        <translation>apellido o nombre, o parte de ellos</translation>
    </message>
    <message>
        <source>Copy the selected local studies to the shared folder</source>
        <translation>Copiar los estudios locales seleccionados a la carpeta compartida</translation>
    </message>
    <message>
        <source>&gt;&gt;</source>
        <translation>&gt;&gt;</translation>
    </message>
    <message>
        <source>Copy the selected shared studies to the local folder</source>
        <translation>Copiar los estudios compartidos seleccionados a la carpeta local</translation>
    </message>
    <message>
        <source>&lt;&lt;</source>
        <translation>&lt;&lt;</translation>
    </message>
    <message>
        <source>Shared folder:</source>
        <translation>Carpeta compartida:</translation>
    </message>
    <message>
        <source>Add a shared folder</source>
        <translation>Añadir una carpeta compartida</translation>
    </message>
    <message>
        <source>Add...</source>
        <translation>Añadir...</translation>
    </message>
    <message>
        <source>Show shared studies</source>
        <translation>Mostrar estudios compartidos</translation>
    </message>
    <message>
        <source>Show report</source>
        <translation>Mostrar informe</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Eliminar</translation>
    </message>
    <message>
        <source>Del</source>
        <translation>Del</translation>
    </message>
    <message>
        <source>Select shared folder</source>
        <translation>Seleccionar carpeta compartida</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>Error</translation>
    </message>
    <message>
        <source>This archive is incomplete (a copy cut short?) and cannot be copied.</source>
        <translation>Este archivo comprimido está incompleto (¿una copia interrumpida?) y no se puede copiar.</translation>
    </message>
    <message>
        <source>Yes</source>
        <translation>Sí</translation>
    </message>
    <message>
        <source>Hide shared studies</source>
        <translation>Ocultar estudios compartidos</translation>
    </message>
    <message>
        <source>Confirm</source>
        <translation>Confirmar</translation>
    </message>
    <message>
        <source>Delete selected studies from shared folder?</source>
        <translation>¿Eliminar los estudios seleccionados de la carpeta compartida?</translation>
    </message>
    <message>
        <source>Delete selected studies from local folder?</source>
        <translation>¿Eliminar los estudios seleccionados de la carpeta local?</translation>
    </message>
    <message>
        <source>a damaged study archive (incomplete or cut short), not copied</source>
        <translation>un archivo de estudio dañado (incompleto o interrumpido), no copiado</translation>
    </message>
    <message>
        <source>Report file not found</source>
        <translation>No se encontró el archivo del informe</translation>
    </message>
    <message>
        <source>No program is set up to show the report</source>
        <translation>No hay ningún programa configurado para mostrar el informe</translation>
    </message>
</context>
<context>
    <name>PredefinedConclusionPanel</name>
    <message>
        <source>Enter conclusion</source>
        <translation>Introduzca la conclusión</translation>
    </message>
</context>
<context>
    <name>ProtocolDialog</name>
    <message>
        <source>Protocol edit</source>
        <translation>Edición del protocolo</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Nombre</translation>
    </message>
    <message>
        <source>Type</source>
        <translation>Tipo</translation>
    </message>
    <message>
        <source>Treadmill</source>
        <translation>Cinta rodante</translation>
    </message>
    <message>
        <source>Ergometer</source>
        <translation>Ergómetro</translation>
    </message>
    <message>
        <source>Pharmacologic</source>
        <translation>Farmacológico</translation>
    </message>
    <message>
        <source>Stage</source>
        <translation>Etapa</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Eliminar</translation>
    </message>
    <message>
        <source>Add stage</source>
        <translation>Añadir etapa</translation>
    </message>
    <message>
        <source>Rest</source>
        <translation>Reposo</translation>
    </message>
    <message>
        <source>Exercise</source>
        <translation>Ejercicio</translation>
    </message>
    <message>
        <source>Recovery</source>
        <translation>Recuperación</translation>
    </message>
    <message>
        <source>Append</source>
        <translation>Añadir al final</translation>
    </message>
    <message>
        <source>Insert</source>
        <translation>Insertar</translation>
    </message>
</context>
<context>
    <name>ProtocolListDialog</name>
    <message>
        <source>Stress test protocols</source>
        <translation>Protocolos de prueba de esfuerzo</translation>
    </message>
    <message>
        <source>New...</source>
        <translation>Nuevo...</translation>
    </message>
    <message>
        <source>Edit...</source>
        <translation>Editar...</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Eliminar</translation>
    </message>
    <message>
        <source>Warning</source>
        <translation>Advertencia</translation>
    </message>
    <message>
        <source>Confirm</source>
        <translation>Confirmar</translation>
    </message>
    <message>
        <source>A protocol named %1 exists already. Replace it?</source>
        <translation>Ya existe un protocolo llamado %1. ¿Desea reemplazarlo?</translation>
    </message>
    <message>
        <source>Remove protocol %1?</source>
        <translation>¿Eliminar el protocolo %1?</translation>
    </message>
</context>
<context>
    <name>QMenu</name>
    <message>
        <source>Show leads</source>
        <translation>Mostrar derivaciones</translation>
    </message>
    <message>
        <source>Color scheme</source>
        <translation>Esquema de colores</translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <source>Information</source>
        <translation>Información</translation>
    </message>
    <message>
        <source>%1 is already running</source>
        <translation>%1 ya está en ejecución</translation>
    </message>
    <message>
        <source>Please wait...</source>
        <translation>Espere, por favor...</translation>
    </message>
    <message>
        <source>Warning</source>
        <translation>Advertencia</translation>
    </message>
</context>
<context>
    <name>QZipFileCreator</name>
    <message>
        <source>Cannot create zip archive</source>
        <translation>No se puede crear el archivo zip</translation>
    </message>
    <message>
        <source>Cannot open new file in zip</source>
        <translation>No se puede abrir un archivo nuevo en el zip</translation>
    </message>
    <message>
        <source>Cannot write data in zip file</source>
        <translation>No se pueden escribir datos en el archivo zip</translation>
    </message>
    <message>
        <source>Cannot close file in zip</source>
        <translation>No se puede cerrar el archivo en el zip</translation>
    </message>
    <message>
        <source>Cannot close zip archive</source>
        <translation>No se puede cerrar el archivo zip</translation>
    </message>
</context>
<context>
    <name>QZipFileExtractor</name>
    <message>
        <source>Cannot open zip archive</source>
        <translation>No se puede abrir el archivo zip</translation>
    </message>
    <message>
        <source>Cannot read zip archive</source>
        <translation>No se puede leer el archivo zip</translation>
    </message>
    <message>
        <source>Cannot read comment in zip archive</source>
        <translation>No se puede leer el comentario del archivo zip</translation>
    </message>
    <message>
        <source>Cannot get file info from zip archive</source>
        <translation>No se puede obtener la información de un archivo del zip</translation>
    </message>
    <message>
        <source>Cannot open file in zip archive</source>
        <translation>No se puede abrir un archivo del zip</translation>
    </message>
    <message>
        <source>Cannot read file in zip archive</source>
        <translation>No se puede leer un archivo del zip</translation>
    </message>
    <message>
        <source>Corrupt file read from zip archive</source>
        <translation>Se leyó un archivo dañado del zip</translation>
    </message>
    <message>
        <source>Unsafe file name in zip archive</source>
        <translation>Nombre de archivo no seguro en el zip</translation>
    </message>
</context>
<context>
    <name>ReportDialog</name>
    <message>
        <source>Report</source>
        <translation>Informe</translation>
    </message>
    <message>
        <source>Traces</source>
        <translation>Trazados</translation>
    </message>
    <message>
        <source>ECG</source>
        <translation>ECG</translation>
    </message>
    <message>
        <source>Stress test</source>
        <translation>Prueba de esfuerzo</translation>
    </message>
    <message>
        <source>Header</source>
        <translation>Encabezado</translation>
    </message>
    <message>
        <source>Signature</source>
        <translation>Firma</translation>
    </message>
    <message>
        <source>Printing</source>
        <translation>Impresión</translation>
    </message>
    <message>
        <source>Filters</source>
        <translation>Filtros</translation>
    </message>
    <message>
        <source>NF</source>
        <translation>NF</translation>
    </message>
    <message>
        <source>Line notch filter</source>
        <translation>Filtro de red (notch)</translation>
    </message>
    <message>
        <source>MF</source>
        <translation>MF</translation>
    </message>
    <message>
        <source>Muscle noise filter</source>
        <translation>Filtro de ruido muscular</translation>
    </message>
    <message>
        <source>BF</source>
        <translation>BF</translation>
    </message>
    <message>
        <source>Baseline filter</source>
        <translation>Filtro de línea de base</translation>
    </message>
    <message>
        <source>Average beats</source>
        <translation>Latidos promedio</translation>
    </message>
    <message>
        <source>Rhythm strip</source>
        <translation>Tira de ritmo</translation>
    </message>
    <message>
        <source>Amplitude</source>
        <translation>Amplitud</translation>
    </message>
    <message>
        <source>5 mm/mV</source>
        <translation>5 mm/mV</translation>
    </message>
    <message>
        <source>10 mm/mV</source>
        <translation>10 mm/mV</translation>
    </message>
    <message>
        <source>20 mm/mV</source>
        <translation>20 mm/mV</translation>
    </message>
    <message>
        <source>Speed</source>
        <translation>Velocidad</translation>
    </message>
    <message>
        <source>12.5 mm/s</source>
        <translation>12.5 mm/s</translation>
    </message>
    <message>
        <source>25 mm/s</source>
        <translation>25 mm/s</translation>
    </message>
    <message>
        <source>50 mm/s</source>
        <translation>50 mm/s</translation>
    </message>
    <message>
        <source>Layout</source>
        <translation>Disposición</translation>
    </message>
    <message>
        <source>4 cols / 3 leads</source>
        <translation>4 col. / 3 derivaciones</translation>
    </message>
    <message>
        <source>2 cols / 6 leads</source>
        <translation>2 col. / 6 derivaciones</translation>
    </message>
    <message>
        <source>1 col / 12 leads</source>
        <translation>1 col. / 12 derivaciones</translation>
    </message>
    <message>
        <source>Hexaxial order</source>
        <translation>Orden hexaxial</translation>
    </message>
    <message>
        <source>Start time (secs)</source>
        <translation>Tiempo inicial (s)</translation>
    </message>
    <message>
        <source>Report model</source>
        <translation>Modelo de informe</translation>
    </message>
    <message>
        <source>Default</source>
        <translation>Predeterminado</translation>
    </message>
    <message>
        <source>Traces only</source>
        <translation>Solo trazados</translation>
    </message>
    <message>
        <source>Print trend graphics</source>
        <translation>Imprimir gráficas de tendencia</translation>
    </message>
    <message>
        <source>Show expected stage duration</source>
        <translation>Mostrar la duración prevista de las etapas</translation>
    </message>
    <message>
        <source>ST lead</source>
        <translation>Derivación ST</translation>
    </message>
    <message>
        <source>Title</source>
        <translation>Título</translation>
    </message>
    <message>
        <source>Additional info</source>
        <translation>Información adicional</translation>
    </message>
    <message>
        <source>Logo</source>
        <translation>Logotipo</translation>
    </message>
    <message>
        <source>[none]</source>
        <translation>[ninguno]</translation>
    </message>
    <message>
        <source>Change...</source>
        <translation>Cambiar...</translation>
    </message>
    <message>
        <source>Remove</source>
        <translation>Quitar</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Nombre</translation>
    </message>
    <message>
        <source>License</source>
        <translation>N.º de colegiado</translation>
    </message>
    <message>
        <source>Print destination</source>
        <translation>Destino de impresión</translation>
    </message>
    <message>
        <source>Direct to default printer</source>
        <translation>Directamente a la impresora predeterminada</translation>
    </message>
    <message>
        <source>Save to PDF file</source>
        <translation>Guardar en archivo PDF</translation>
    </message>
    <message>
        <source>Portable printer (ECG strip)</source>
        <translation>Impresora portátil (tira de ECG)</translation>
    </message>
    <message>
        <source>A serial port the system lists, or the path of one</source>
        <translation>Un puerto serie que el sistema enumera, o su ruta</translation>
    </message>
    <message>
        <source>Bluetooth should be turned on to see the list of available ports.</source>
        <translation>Active el Bluetooth para ver la lista de puertos disponibles.</translation>
    </message>
    <message>
        <source>Create</source>
        <translation>Crear</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Cerrar</translation>
    </message>
    <message>
        <source>Warning</source>
        <translation>Advertencia</translation>
    </message>
    <message>
        <source>Information</source>
        <translation>Información</translation>
    </message>
    <message>
        <source>No printer is installed. Please install a printer or choose another print destination.</source>
        <translation>No hay ninguna impresora instalada. Instale una impresora o elija otro destino de impresión.</translation>
    </message>
    <message>
        <source>Please select another print destination for stress report.</source>
        <translation>Seleccione otro destino de impresión para el informe de esfuerzo.</translation>
    </message>
    <message>
        <source>Please select the destination printer.</source>
        <translation>Seleccione la impresora de destino.</translation>
    </message>
    <message>
        <source>The start time must lie within the recording (0 to %1 seconds).</source>
        <translation>El tiempo inicial debe estar dentro del registro (de 0 a %1 segundos).</translation>
    </message>
    <message>
        <source>No event is marked for printing.</source>
        <translation>No hay ningún evento marcado para imprimir.</translation>
    </message>
    <message>
        <source>Preparing report...</source>
        <translation>Preparando el informe...</translation>
    </message>
    <message>
        <source>The report could not be printed on %1.</source>
        <translation>No se pudo imprimir el informe en %1.</translation>
    </message>
    <message>
        <source>Printing...</source>
        <translation>Imprimiendo...</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancelar</translation>
    </message>
    <message>
        <source>Open Image</source>
        <translation>Abrir imagen</translation>
    </message>
    <message>
        <source>Image Files (*.png *.jpg *.bmp)</source>
        <translation>Archivos de imagen (*.png *.jpg *.bmp)</translation>
    </message>
    <message>
        <source>Logo image could not be loaded from file: %1</source>
        <translation>No se pudo cargar la imagen del logotipo desde el archivo: %1</translation>
    </message>
    <message>
        <source>Signature image could not be loaded from file: %1</source>
        <translation>No se pudo cargar la imagen de la firma desde el archivo: %1</translation>
    </message>
</context>
<context>
    <name>StressMonitorWindow</name>
    <message>
        <source>MonitorWindow</source>
        <translation>Monitor de esfuerzo</translation>
    </message>
    <message>
        <source>&lt;b&gt;Protocol&lt;/b&gt; || Stage&lt;br/&gt;Speed / Incline</source>
        <translation>&lt;b&gt;Protocolo&lt;/b&gt; || Etapa&lt;br/&gt;Velocidad / Pendiente</translation>
    </message>
    <message>
        <source>0:00</source>
        <translation>0:00</translation>
    </message>
    <message>
        <source>/ 0:00 stage</source>
        <translation>/ 0:00 etapa</translation>
    </message>
    <message>
        <source>0:00 total</source>
        <translation>0:00 total</translation>
    </message>
    <message>
        <source>---</source>
        <translation>---</translation>
    </message>
    <message>
        <source>0% max
0% submax</source>
        <translation>0% máx.
0% submáx.</translation>
    </message>
    <message>
        <source>Protocol</source>
        <translation>Protocolo</translation>
    </message>
    <message>
        <source>Stage</source>
        <translation>Etapa</translation>
    </message>
    <message>
        <source>HR</source>
        <translation>FC</translation>
    </message>
    <message>
        <source>Event</source>
        <translation>Evento</translation>
    </message>
    <message>
        <source>Press &lt;Space&gt; to mark event</source>
        <translation>Pulse &lt;Espacio&gt; para marcar un evento</translation>
    </message>
    <message>
        <source>Save event</source>
        <translation>Guardar evento</translation>
    </message>
    <message>
        <source>mm/s</source>
        <translation>mm/s</translation>
    </message>
    <message>
        <source>12.5</source>
        <translation>12.5</translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;b&gt;12.5&lt;/b&gt; mm/sec&lt;/html&gt;</source>
        <translation>&lt;html&gt;&lt;b&gt;12.5&lt;/b&gt; mm/s&lt;/html&gt;</translation>
    </message>
    <message>
        <source>25</source>
        <translation>25</translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;b&gt;25&lt;/b&gt; mm/sec&lt;/html&gt;</source>
        <translation>&lt;html&gt;&lt;b&gt;25&lt;/b&gt; mm/s&lt;/html&gt;</translation>
    </message>
    <message>
        <source>50</source>
        <translation>50</translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;b&gt;50&lt;/b&gt; mm/sec&lt;/html&gt;</source>
        <translation>&lt;html&gt;&lt;b&gt;50&lt;/b&gt; mm/s&lt;/html&gt;</translation>
    </message>
    <message>
        <source>mm/mV</source>
        <translation>mm/mV</translation>
    </message>
    <message>
        <source>5</source>
        <translation>5</translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;b&gt;5&lt;/b&gt; mm/mV&lt;/html&gt;</source>
        <translation>&lt;html&gt;&lt;b&gt;5&lt;/b&gt; mm/mV&lt;/html&gt;</translation>
    </message>
    <message>
        <source>10</source>
        <translation>10</translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;b&gt;10&lt;/b&gt; mm/mV&lt;/html&gt;</source>
        <translation>&lt;html&gt;&lt;b&gt;10&lt;/b&gt; mm/mV&lt;/html&gt;</translation>
    </message>
    <message>
        <source>20</source>
        <translation>20</translation>
    </message>
    <message>
        <source>&lt;html&gt;&lt;b&gt;20&lt;/b&gt; mm/mV&lt;/html&gt;</source>
        <translation>&lt;html&gt;&lt;b&gt;20&lt;/b&gt; mm/mV&lt;/html&gt;</translation>
    </message>
    <message>
        <source>Filters</source>
        <translation>Filtros</translation>
    </message>
    <message>
        <source>BF</source>
        <translation>BF</translation>
    </message>
    <message>
        <source>Baseline filter</source>
        <translation>Filtro de línea de base</translation>
    </message>
    <message>
        <source>MF</source>
        <translation>MF</translation>
    </message>
    <message>
        <source>Muscle noise filter</source>
        <translation>Filtro de ruido muscular</translation>
    </message>
    <message>
        <source>NF</source>
        <translation>NF</translation>
    </message>
    <message>
        <source>Line notch filter</source>
        <translation>Filtro de red (notch)</translation>
    </message>
    <message>
        <source>Start</source>
        <translation>Iniciar</translation>
    </message>
    <message>
        <source>&lt;html&gt;Start protocol&lt;/html&gt;</source>
        <translation>&lt;html&gt;Iniciar el protocolo&lt;/html&gt;</translation>
    </message>
    <message>
        <source>Next</source>
        <translation>Siguiente</translation>
    </message>
    <message>
        <source>&lt;html&gt;Next stage&lt;/html&gt;</source>
        <translation>&lt;html&gt;Etapa siguiente&lt;/html&gt;</translation>
    </message>
    <message>
        <source>Recovery</source>
        <translation>Recuperación</translation>
    </message>
    <message>
        <source>&lt;html&gt;Recovery&lt;/html&gt;</source>
        <translation>&lt;html&gt;Recuperación&lt;/html&gt;</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Detener</translation>
    </message>
    <message>
        <source>&lt;html&gt;Stop protocol&lt;/html&gt;</source>
        <translation>&lt;html&gt;Detener el protocolo&lt;/html&gt;</translation>
    </message>
    <message>
        <source>BP</source>
        <translation>PA</translation>
    </message>
    <message>
        <source>Enter BP</source>
        <translation>Introducir PA</translation>
    </message>
    <message>
        <source>F4</source>
        <translation>F4</translation>
    </message>
    <message>
        <source>Space</source>
        <translation>Space</translation>
    </message>
    <message>
        <source>Inoperative ECG</source>
        <translation>ECG inoperativo</translation>
    </message>
    <message>
        <source>Simulated ECG</source>
        <translation>ECG simulado</translation>
    </message>
    <message>
        <source>Describe event and press &lt;Return&gt;</source>
        <translation>Describa el evento y pulse &lt;Intro&gt;</translation>
    </message>
    <message>
        <source>%1 total</source>
        <translation>%1 total</translation>
    </message>
</context>
<context>
    <name>StressReviewWindow</name>
    <message>
        <source>12.5</source>
        <translation>12.5</translation>
    </message>
    <message>
        <source>25</source>
        <translation>25</translation>
    </message>
    <message>
        <source>50</source>
        <translation>50</translation>
    </message>
    <message>
        <source>mm/s</source>
        <translation>mm/s</translation>
    </message>
    <message>
        <source>5</source>
        <translation>5</translation>
    </message>
    <message>
        <source>10</source>
        <translation>10</translation>
    </message>
    <message>
        <source>20</source>
        <translation>20</translation>
    </message>
    <message>
        <source>mm/mV</source>
        <translation>mm/mV</translation>
    </message>
    <message>
        <source>BF</source>
        <translation>BF</translation>
    </message>
    <message>
        <source>Baseline filter</source>
        <translation>Filtro de línea de base</translation>
    </message>
    <message>
        <source>MF</source>
        <translation>MF</translation>
    </message>
    <message>
        <source>Muscle noise filter</source>
        <translation>Filtro de ruido muscular</translation>
    </message>
    <message>
        <source>NF</source>
        <translation>NF</translation>
    </message>
    <message>
        <source>Line notch filter</source>
        <translation>Filtro de red (notch)</translation>
    </message>
    <message>
        <source>◀ Stage</source>
        <translation>◀ Etapa</translation>
    </message>
    <message>
        <source>Go to the previous stage</source>
        <translation>Ir a la etapa anterior</translation>
    </message>
    <message>
        <source>Stage ▶</source>
        <translation>Etapa ▶</translation>
    </message>
    <message>
        <source>Go to the next stage</source>
        <translation>Ir a la etapa siguiente</translation>
    </message>
    <message>
        <source>Echocardiography...</source>
        <translation>Ecocardiografía...</translation>
    </message>
    <message>
        <source>Stress echocardiography scoring</source>
        <translation>Puntuación de ecocardiografía de estrés</translation>
    </message>
    <message>
        <source>Study data</source>
        <translation>Datos</translation>
    </message>
    <message>
        <source>Edit the study data</source>
        <translation>Editar los datos del estudio</translation>
    </message>
    <message>
        <source>Print</source>
        <translation>Imprimir</translation>
    </message>
    <message>
        <source>Print the report</source>
        <translation>Imprimir el informe</translation>
    </message>
    <message>
        <source> 0:00 total</source>
        <translation> 0:00 total</translation>
    </message>
    <message>
        <source>/  0:00</source>
        <translation>/  0:00</translation>
    </message>
    <message>
        <source>---</source>
        <translation>---</translation>
    </message>
    <message>
        <source>Protocol</source>
        <translation>Protocolo</translation>
    </message>
    <message>
        <source>Stage</source>
        <translation>Etapa</translation>
    </message>
    <message>
        <source>Speeds at which the heart rate reached 150 and 200 per minute, and the heart rate one and five minutes after the last exercise stage</source>
        <translation>Velocidades a las que la frecuencia cardiaca alcanzó 150 y 200 por minuto, y la frecuencia cardiaca uno y cinco minutos después de la última etapa de ejercicio</translation>
    </message>
    <message>
        <source>Events</source>
        <translation>Eventos</translation>
    </message>
    <message>
        <source>Time</source>
        <translation>Tiempo</translation>
    </message>
    <message>
        <source>Description</source>
        <translation>Descripción</translation>
    </message>
    <message>
        <source>Add an event at the shown time (Insert)</source>
        <translation>Añadir un evento en el tiempo mostrado (Insert)</translation>
    </message>
    <message>
        <source>Remove the event (Delete)</source>
        <translation>Eliminar el evento (Supr)</translation>
    </message>
    <message>
        <source>Conclusion</source>
        <translation>Conclusión</translation>
    </message>
    <message>
        <source>Enter study conclusions</source>
        <translation>Introduzca las conclusiones del estudio</translation>
    </message>
    <message>
        <source>Double-click a sentence to add it to the conclusion</source>
        <translation>Haga doble clic en una frase para añadirla a la conclusión</translation>
    </message>
    <message>
        <source>Add a sentence</source>
        <translation>Añadir una frase</translation>
    </message>
    <message>
        <source>Remove the sentence</source>
        <translation>Eliminar la frase</translation>
    </message>
    <message>
        <source>▲</source>
        <translation>▲</translation>
    </message>
    <message>
        <source>Move up</source>
        <translation>Subir</translation>
    </message>
    <message>
        <source>▼</source>
        <translation>▼</translation>
    </message>
    <message>
        <source>Move down</source>
        <translation>Bajar</translation>
    </message>
    <message>
        <source>Alphabetical sort</source>
        <translation>Orden alfabético</translation>
    </message>
    <message>
        <source>Warning</source>
        <translation>Advertencia</translation>
    </message>
    <message>
        <source>total</source>
        <translation>total</translation>
    </message>
    <message>
        <source>Hexaxial order</source>
        <translation>Orden hexaxial</translation>
    </message>
    <message>
        <source>Average beat</source>
        <translation>Latido promedio</translation>
    </message>
    <message>
        <source>Show graphics</source>
        <translation>Mostrar gráficas</translation>
    </message>
    <message>
        <source>HR</source>
        <translation>FC</translation>
    </message>
    <message>
        <source>BP</source>
        <translation>PA</translation>
    </message>
    <message>
        <source>DP</source>
        <translation>DP</translation>
    </message>
    <message>
        <source>METS</source>
        <translation>METS</translation>
    </message>
    <message>
        <source>ST [%1]</source>
        <translation>ST [%1]</translation>
    </message>
    <message>
        <source>Export EDF+...</source>
        <translation>EDF+...</translation>
    </message>
    <message>
        <source>Write the recording, its events and stages as an EDF+ file for other ECG viewers</source>
        <translation>Guardar el registro, sus eventos y etapas como archivo EDF+ para otros visores de ECG</translation>
    </message>
</context>
<context>
    <name>StudyDialog</name>
    <message>
        <source>Study data</source>
        <translation>Datos del estudio</translation>
    </message>
    <message>
        <source>QLineEdit:read-only {background-color: gainsboro;}</source>
        <translation>QLineEdit:read-only {background-color: gainsboro;}</translation>
    </message>
    <message>
        <source>Patient</source>
        <translation>Paciente</translation>
    </message>
    <message>
        <source>Study info</source>
        <translation>Estudio</translation>
    </message>
    <message>
        <source>Protocol</source>
        <translation>Protocolo</translation>
    </message>
    <message>
        <source>Animal name</source>
        <translation>Animal</translation>
    </message>
    <message>
        <source>Owner name</source>
        <translation>Propietario</translation>
    </message>
    <message>
        <source>Species</source>
        <translation>Especie</translation>
    </message>
    <message>
        <source>Breed</source>
        <translation>Raza</translation>
    </message>
    <message>
        <source>Birth date</source>
        <translation>F. nacimiento</translation>
    </message>
    <message>
        <source>day/month/year</source>
        <translation>dd/mm/aaaa</translation>
    </message>
    <message>
        <source>Age</source>
        <translation>Edad</translation>
    </message>
    <message>
        <source>Sex</source>
        <translation>Sexo</translation>
    </message>
    <message>
        <source>Male</source>
        <translation>Macho</translation>
    </message>
    <message>
        <source>Female</source>
        <translation>Hembra</translation>
    </message>
    <message>
        <source>Weight (Kg)</source>
        <translation>Peso (kg)</translation>
    </message>
    <message>
        <source>Height (cm)</source>
        <translation>Altura (cm)</translation>
    </message>
    <message>
        <source>Contact info</source>
        <translation>Contacto</translation>
    </message>
    <message>
        <source>Patient ID / Medical record</source>
        <translation>ID / Historia clínica</translation>
    </message>
    <message>
        <source>Date/time</source>
        <translation>Fecha/hora</translation>
    </message>
    <message>
        <source>d/M/yyyy HH:mm</source>
        <translation>d/M/yyyy HH:mm</translation>
    </message>
    <message>
        <source>Technician name</source>
        <translation>Técnico</translation>
    </message>
    <message>
        <source>Doctor name</source>
        <translation>Veterinario</translation>
    </message>
    <message>
        <source>Referred by</source>
        <translation>Remitido por</translation>
    </message>
    <message>
        <source>Indication</source>
        <translation>Indicación</translation>
    </message>
    <message>
        <source>Medication</source>
        <translation>Medicación</translation>
    </message>
    <message>
        <source>Comments</source>
        <translation>Comentarios</translation>
    </message>
    <message>
        <source>Protocols...</source>
        <translation>Protocolos...</translation>
    </message>
    <message>
        <source>HR max.</source>
        <translation>FC máx.</translation>
    </message>
    <message>
        <source>HR submax.</source>
        <translation>FC submáx.</translation>
    </message>
    <message>
        <source>Submax %</source>
        <translation>% submáx.</translation>
    </message>
    <message>
        <source> %</source>
        <translation> %</translation>
    </message>
    <message>
        <source>New ECG study</source>
        <translation>Nuevo estudio de ECG</translation>
    </message>
    <message>
        <source>New Stress Test study</source>
        <translation>Nuevo estudio de prueba de esfuerzo</translation>
    </message>
    <message>
        <source>Warning</source>
        <translation>Advertencia</translation>
    </message>
</context>
<context>
    <name>TAcquisitionTest</name>
    <message>
        <source>Replay ECG file (demo)</source>
        <translation>Reproducir archivo de ECG (demostración)</translation>
    </message>
    <message>
        <source>Cardivex ECG device (Bluetooth)</source>
        <translation>Electrocardiógrafo Cardivex (Bluetooth)</translation>
    </message>
    <message>
        <source>Cardivex ECG device (USB)</source>
        <translation>Electrocardiógrafo Cardivex (USB)</translation>
    </message>
    <message>
        <source> on %1</source>
        <translation> en %1</translation>
    </message>
    <message>
        <source>, HR protocol</source>
        <translation>, protocolo FC</translation>
    </message>
    <message>
        <source>%1: %2 leads, %3 samples/s, +/-%4 mV</source>
        <translation>%1: %2 derivaciones, %3 muestras/s, +/-%4 mV</translation>
    </message>
    <message>
        <source>No signal: last sample %1 ago</source>
        <translation>Sin señal: última muestra hace %1</translation>
    </message>
    <message>
        <source>No signal yet (waiting %1)</source>
        <translation>Todavía sin señal (esperando %1)</translation>
    </message>
    <message>
        <source>Waiting for the signal...</source>
        <translation>Esperando la señal...</translation>
    </message>
    <message>
        <source>Receiving: %1 s of signal</source>
        <translation>Recibiendo: %1 s de señal</translation>
    </message>
    <message>
        <source>   Battery: %1 V</source>
        <translation>   Batería: %1 V</translation>
    </message>
</context>
<context>
    <name>TBeatsFile</name>
    <message>
        <source>Cannot create beats file</source>
        <translation>No se puede crear el archivo de latidos</translation>
    </message>
    <message>
        <source>Write error</source>
        <translation>Error de escritura</translation>
    </message>
</context>
<context>
    <name>TCliRecorder</name>
    <message>
        <source>No signal from the ECG recorder for %1 s</source>
        <translation>Sin señal del electrocardiógrafo durante %1 s</translation>
    </message>
    <message>
        <source>Nothing was recorded</source>
        <translation>No se registró nada</translation>
    </message>
</context>
<context>
    <name>TCommandLine</name>
    <message>
        <source>%1 needs a value</source>
        <translation>%1 necesita un valor</translation>
    </message>
    <message>
        <source>--seconds takes a number of seconds above 0 and at most %1</source>
        <translation>--seconds admite un número de segundos mayor que 0 y como máximo %1</translation>
    </message>
    <message>
        <source>--protocol takes a protocol name</source>
        <translation>--protocol admite un nombre de protocolo</translation>
    </message>
    <message>
        <source>--species takes a species name</source>
        <translation>--species admite un nombre de especie</translation>
    </message>
    <message>
        <source>--id takes a study id (a positive whole number)</source>
        <translation>--id admite un id de estudio (un número entero positivo)</translation>
    </message>
    <message>
        <source>--start takes a time in seconds, 0 or more</source>
        <translation>--start admite un tiempo en segundos, 0 o más</translation>
    </message>
    <message>
        <source>Unknown option %1</source>
        <translation>Opción desconocida %1</translation>
    </message>
    <message>
        <source>Unknown command %1</source>
        <translation>Orden desconocida %1</translation>
    </message>
    <message>
        <source>Unexpected argument %1</source>
        <translation>Argumento inesperado %1</translation>
    </message>
    <message>
        <source>No command given</source>
        <translation>No se indicó ninguna orden</translation>
    </message>
    <message>
        <source>record needs --seconds N</source>
        <translation>record necesita --seconds N</translation>
    </message>
    <message>
        <source>record needs --last NAME and --first NAME</source>
        <translation>record necesita --last APELLIDO y --first NOMBRE</translation>
    </message>
    <message>
        <source>export needs --id N</source>
        <translation>export necesita --id N</translation>
    </message>
    <message>
        <source>export needs --to FOLDER</source>
        <translation>export necesita --to CARPETA</translation>
    </message>
    <message>
        <source>import needs the archive file</source>
        <translation>import necesita el archivo comprimido</translation>
    </message>
    <message>
        <source>report needs --id N</source>
        <translation>report necesita --id N</translation>
    </message>
    <message>
        <source>report needs --out FILE.pdf</source>
        <translation>report necesita --out ARCHIVO.pdf</translation>
    </message>
    <message>
        <source>show needs --id N</source>
        <translation>show necesita --id N</translation>
    </message>
    <message>
        <source>strip needs --id N</source>
        <translation>strip necesita --id N</translation>
    </message>
    <message>
        <source>strip needs --port PORT</source>
        <translation>strip necesita --port PUERTO</translation>
    </message>
    <message>
        <source>Usage: velmora-cli [--data DIR] COMMAND [OPTIONS]

Works on the studies of the Velmora study folder (by default the application&apos;s
data folder; --data DIR names another).

Commands:
  list                                  one line per study: id, date, type, patient
  record [--demo] --seconds N --last NAME --first NAME [--species NAME]
                                        records a resting ECG of N seconds without a
                                        window, from the demo recording (--demo) or the
                                        configured device; prints the new study&apos;s id.
                                        --species names the animal&apos;s species (&quot;Perro&quot;,
                                        &quot;cat&quot;, &quot;equino&quot; ...): its values are read against
                                        that species&apos; reference ranges
  record --protocol NAME [--seconds N] [--demo] --last NAME --first NAME
         [--species NAME]
                                        records a stress test by the stored protocol NAME
                                        (&quot;Tilt test&quot;: the built-in tilt test), its stages
                                        advancing by their durations, with the configured
                                        treadmill or ergometer; the whole protocol unless
                                        --seconds says less; prints the new study&apos;s id
  export --id N --to FOLDER             writes the study&apos;s archive (.cxz) into FOLDER
  export --edf --id N --to FILE.edf     writes the study&apos;s recording as an EDF+ file:
                                        the leads in microvolts, the events and stage
                                        changes as annotations; the patient&apos;s names only
                                        when Config/EdfAnonymous is off
  import FILE.cxz                       adds the archived study; prints its id
  report --id N --out FILE.pdf          writes the study&apos;s report as the report dialog
                                        makes it with its stored settings
  strip --id N --port PORT [--start SECONDS]
                                        prints the resting ECG&apos;s strip on the portable
                                        printer at PORT (rfcomm0, a device path) with the
                                        report dialog&apos;s stored speed, amplitude, filters
                                        and rhythm lead, from SECONDS (default 0)
  show --id N [--json]                  the study&apos;s patient, protocol, per-stage table
                                        and maxima (tab-separated text, or JSON); of a
                                        resting ECG each measured value with its unit, the
                                        species&apos; range and a flag (low, high, normal); of
                                        a treadmill test V150, V200 and the recovery
  --help                                this text
  --version                             the program&apos;s name and version

Exit codes: 0 done, 1 the operation failed, 2 the command line is wrong.
</source>
        <translation>Uso: velmora-cli [--data CARPETA] ORDEN [OPCIONES]

Trabaja con los estudios de la carpeta de estudios de Velmora (por omisión la carpeta
de datos de la aplicación; --data CARPETA indica otra).

Órdenes:
  list                                  una línea por estudio: id, fecha, tipo, paciente
  record [--demo] --seconds N --last APELLIDO --first NOMBRE [--species ESPECIE]
                                        registra un ECG en reposo de N segundos sin
                                        ventana, desde el registro de demostración (--demo)
                                        o el dispositivo configurado; muestra el id del
                                        estudio nuevo. --species indica la especie del
                                        animal (&quot;Perro&quot;, &quot;cat&quot;, &quot;equino&quot; ...): sus valores
                                        se comparan con los rangos de referencia de esa especie
  record --protocol NOMBRE [--seconds N] [--demo] --last APELLIDO --first NOMBRE
         [--species ESPECIE]
                                        registra una prueba de esfuerzo con el protocolo
                                        guardado NOMBRE (&quot;Tilt test&quot;: la prueba de
                                        basculación incluida), avanzando las etapas según su
                                        duración, con la cinta rodante o el ergómetro
                                        configurados; el protocolo completo salvo que
                                        --seconds indique menos; muestra el id del estudio nuevo
  export --id N --to CARPETA            escribe el archivo del estudio (.cxz) en CARPETA
  export --edf --id N --to ARCHIVO.edf  escribe el registro del estudio como archivo EDF+:
                                        las derivaciones en microvoltios, los eventos y
                                        cambios de etapa como anotaciones; los nombres del
                                        paciente solo con Config/EdfAnonymous desactivado
  import ARCHIVO.cxz                    añade el estudio archivado; muestra su id
  report --id N --out ARCHIVO.pdf       escribe el informe del estudio como lo hace el
                                        diálogo de informes con sus ajustes guardados
  strip --id N --port PUERTO [--start SEGUNDOS]
                                        imprime la tira del ECG en reposo en la impresora
                                        portátil de PUERTO (rfcomm0, la ruta de un
                                        dispositivo) con la velocidad, amplitud, filtros y
                                        derivación de ritmo guardados en el diálogo de
                                        informes, desde SEGUNDOS (por omisión 0)
  show --id N [--json]                  paciente, protocolo, tabla por etapas y máximos del
                                        estudio (texto separado por tabuladores, o JSON); de
                                        un ECG en reposo, cada valor medido con su unidad, el
                                        rango de la especie y una marca (low, high, normal);
                                        de una prueba en cinta rodante, V150, V200 y la
                                        recuperación
  --help                                este texto
  --version                             el nombre y la versión del programa

Códigos de salida: 0 hecho, 1 la operación falló, 2 la línea de órdenes es incorrecta.
</translation>
    </message>
    <message>
        <source>export --edf needs --to FILE.edf</source>
        <translation>export --edf necesita --to ARCHIVO.edf</translation>
    </message>
    <message>
        <source>--edf belongs to export</source>
        <translation>--edf solo vale con export</translation>
    </message>
</context>
<context>
    <name>TConfigForm</name>
    <message>
        <source>&lt;Manual&gt;</source>
        <translation>&lt;Manual&gt;</translation>
    </message>
    <message>
        <source>OLMO bicycle</source>
        <translation>Bicicleta OLMO</translation>
    </message>
    <message>
        <source>Kip Machines</source>
        <translation>Kip Machines</translation>
    </message>
    <message>
        <source>Logo image could not be loaded from file: %1</source>
        <translation>No se pudo cargar la imagen del logotipo desde el archivo: %1</translation>
    </message>
    <message>
        <source>Signature image could not be loaded from file: %1</source>
        <translation>No se pudo cargar la imagen de la firma desde el archivo: %1</translation>
    </message>
    <message>
        <source>ECG reports folder</source>
        <translation>Carpeta de informes de ECG</translation>
    </message>
    <message>
        <source>Stress reports folder</source>
        <translation>Carpeta de informes de esfuerzo</translation>
    </message>
    <message>
        <source>ECG studies folder</source>
        <translation>Carpeta de estudios de ECG</translation>
    </message>
    <message>
        <source>Stress studies folder</source>
        <translation>Carpeta de estudios de esfuerzo</translation>
    </message>
    <message>
        <source>%1: no folder chosen</source>
        <translation>%1: no se eligió ninguna carpeta</translation>
    </message>
    <message>
        <source>%1 does not exist: %2</source>
        <translation>%1 no existe: %2</translation>
    </message>
    <message>
        <source>%1 cannot be written to: %2</source>
        <translation>%1 no admite escritura: %2</translation>
    </message>
</context>
<context>
    <name>TDemoReaderThread</name>
    <message>
        <source>Cannot open file</source>
        <translation>No se puede abrir el archivo</translation>
    </message>
</context>
<context>
    <name>TEchoScoring</name>
    <message>
        <source>Septum Anterior Basal - LAD</source>
        <translation>Septo anterior basal - DA</translation>
    </message>
    <message>
        <source>Septum Anterior Medio - LAD</source>
        <translation>Septo anterior medio - DA</translation>
    </message>
    <message>
        <source>Septum Basal - RAD</source>
        <translation>Septo basal - CD</translation>
    </message>
    <message>
        <source>Septum Medio - RAD</source>
        <translation>Septo medio - CD</translation>
    </message>
    <message>
        <source>Septum Apical - LAD</source>
        <translation>Septo apical - DA</translation>
    </message>
    <message>
        <source>Inferior Basal - RAD</source>
        <translation>Inferior basal - CD</translation>
    </message>
    <message>
        <source>Inferior Medio - RAD</source>
        <translation>Inferior medio - CD</translation>
    </message>
    <message>
        <source>Inferior Apical - LAD</source>
        <translation>Inferior apical - DA</translation>
    </message>
    <message>
        <source>Posterior Basal - CRX</source>
        <translation>Posterior basal - Cx</translation>
    </message>
    <message>
        <source>Posterior Medio - CRX</source>
        <translation>Posterior medio - Cx</translation>
    </message>
    <message>
        <source>Lateral Basal - CRX</source>
        <translation>Lateral basal - Cx</translation>
    </message>
    <message>
        <source>Lateral Medio - CRX</source>
        <translation>Lateral medio - Cx</translation>
    </message>
    <message>
        <source>Lateral Apical - LAD</source>
        <translation>Lateral apical - DA</translation>
    </message>
    <message>
        <source>Anterior Basal - LAD</source>
        <translation>Anterior basal - DA</translation>
    </message>
    <message>
        <source>Anterior Medio - LAD</source>
        <translation>Anterior medio - DA</translation>
    </message>
    <message>
        <source>Anterior Apical - LAD</source>
        <translation>Anterior apical - DA</translation>
    </message>
    <message>
        <source>Normal</source>
        <translation>Normal</translation>
    </message>
    <message>
        <source>Hypokinetic</source>
        <translation>Hipocinético</translation>
    </message>
    <message>
        <source>Akinetic</source>
        <translation>Acinético</translation>
    </message>
    <message>
        <source>Dyskinetic</source>
        <translation>Discinético</translation>
    </message>
</context>
<context>
    <name>TEdfExport</name>
    <message>
        <source>Stage %1</source>
        <translation>Etapa %1</translation>
    </message>
    <message>
        <source>The recording of this study cannot be read</source>
        <translation>No se puede leer el registro de este estudio</translation>
    </message>
    <message>
        <source>The study has no recorded signal to export</source>
        <translation>El estudio no tiene señal registrada que exportar</translation>
    </message>
    <message>
        <source>The recording of this study has no valid gain</source>
        <translation>El registro de este estudio no tiene una ganancia válida</translation>
    </message>
    <message>
        <source>Recording ends</source>
        <translation>Fin del registro</translation>
    </message>
    <message>
        <source>The study has more events than an EDF+ file of this length can hold</source>
        <translation>El estudio tiene más eventos de los que caben en un archivo EDF+ de esta duración</translation>
    </message>
    <message>
        <source>Cannot create file %1</source>
        <translation>No se puede crear el archivo %1</translation>
    </message>
    <message>
        <source>Cannot write the EDF+ header of %1</source>
        <translation>No se puede escribir la cabecera EDF+ de %1</translation>
    </message>
    <message>
        <source>Write error</source>
        <translation>Error de escritura</translation>
    </message>
    <message>
        <source>Cannot replace file %1</source>
        <translation>No se puede reemplazar el archivo %1</translation>
    </message>
</context>
<context>
    <name>TFileBeatStore</name>
    <message>
        <source>Write error</source>
        <translation>Error de escritura</translation>
    </message>
</context>
<context>
    <name>TFileSignalBuffer</name>
    <message>
        <source>Write error</source>
        <translation>Error de escritura</translation>
    </message>
</context>
<context>
    <name>TLocalStudyStore</name>
    <message>
        <source>Cannot create folder %1</source>
        <translation>No se puede crear la carpeta %1</translation>
    </message>
    <message>
        <source>Study is already open for review</source>
        <translation>El estudio ya está abierto para revisión</translation>
    </message>
    <message>
        <source>Undefined database path</source>
        <translation>Ruta de la base de datos no definida</translation>
    </message>
    <message>
        <source>Cannot create sample file</source>
        <translation>No se puede crear el archivo de muestras</translation>
    </message>
    <message>
        <source>Cannot create beats file</source>
        <translation>No se puede crear el archivo de latidos</translation>
    </message>
</context>
<context>
    <name>TNormAssessment</name>
    <message>
        <source>small breed</source>
        <translation>raza pequeña</translation>
    </message>
    <message>
        <source>large breed</source>
        <translation>raza grande</translation>
    </message>
    <message>
        <source>giant breed</source>
        <translation>raza gigante</translation>
    </message>
    <message>
        <source>size not known (no weight)</source>
        <translation>tamaño desconocido (sin peso)</translation>
    </message>
    <message>
        <source>young</source>
        <translation>joven</translation>
    </message>
    <message>
        <source>adult</source>
        <translation>adulto</translation>
    </message>
    <message>
        <source>adult ranges (no age)</source>
        <translation>rangos de adulto (sin edad)</translation>
    </message>
    <message>
        <source>Dog</source>
        <translation>Perro</translation>
    </message>
    <message>
        <source>Cat</source>
        <translation>Gato</translation>
    </message>
    <message>
        <source>Horse</source>
        <translation>Caballo</translation>
    </message>
</context>
<context>
    <name>TPortDetection</name>
    <message>
        <source>No device found.
Please make sure that the device is paired and turned on.</source>
        <translation>No se encontró ningún dispositivo.
Compruebe que el dispositivo está emparejado y encendido.</translation>
    </message>
    <message>
        <source>There is more than one device in range.
Please make sure that only one device is turned on and try again.</source>
        <translation>Hay más de un dispositivo al alcance.
Compruebe que solo hay un dispositivo encendido e inténtelo de nuevo.</translation>
    </message>
</context>
<context>
    <name>TProtocolEditor</name>
    <message>
        <source>Stage</source>
        <translation>Etapa</translation>
    </message>
    <message>
        <source>Duration</source>
        <translation>Duración</translation>
    </message>
    <message>
        <source>Speed</source>
        <translation>Velocidad</translation>
    </message>
    <message>
        <source>Incline</source>
        <translation>Pendiente</translation>
    </message>
    <message>
        <source>Workload</source>
        <translation>Carga</translation>
    </message>
    <message>
        <source>Dose</source>
        <translation>Dosis</translation>
    </message>
</context>
<context>
    <name>TProtocolTable</name>
    <message>
        <source>Cannot open protocol table</source>
        <translation>No se puede abrir la tabla de protocolos</translation>
    </message>
    <message>
        <source>Cannot read protocol table</source>
        <translation>No se puede leer la tabla de protocolos</translation>
    </message>
</context>
<context>
    <name>TRecordFile</name>
    <message>
        <source>Cannot create study file</source>
        <translation>No se puede crear el archivo del estudio</translation>
    </message>
    <message>
        <source>Write error</source>
        <translation>Error de escritura</translation>
    </message>
</context>
<context>
    <name>TSampleFile</name>
    <message>
        <source>Cannot create sample file</source>
        <translation>No se puede crear el archivo de muestras</translation>
    </message>
    <message>
        <source>Write error</source>
        <translation>Error de escritura</translation>
    </message>
</context>
<context>
    <name>TSignalWatch</name>
    <message>
        <source>No signal from the ECG recorder (waiting %1)
Check that it is switched on and connected</source>
        <translation>Sin señal del electrocardiógrafo (esperando %1)
Compruebe que está encendido y conectado</translation>
    </message>
    <message>
        <source>No signal: last sample %1 ago
Recording resumes by itself when the signal returns</source>
        <translation>Sin señal: última muestra hace %1
El registro se reanuda solo cuando vuelve la señal</translation>
    </message>
    <message>
        <source>%1 s</source>
        <translation>%1 s</translation>
    </message>
    <message>
        <source>%1 min %2 s</source>
        <translation>%1 min %2 s</translation>
    </message>
    <message>
        <source>%1 h %2 min</source>
        <translation>%1 h %2 min</translation>
    </message>
</context>
<context>
    <name>TSpeciesTable</name>
    <message>
        <source>The clinic&apos;s reference range file %1 cannot be opened. The shipped ranges are used.</source>
        <translation>No se puede abrir el archivo de rangos de referencia de la clínica %1. Se usan los rangos incluidos.</translation>
    </message>
    <message>
        <source>the file is larger than 1 MiB</source>
        <translation>el archivo ocupa más de 1 MiB</translation>
    </message>
    <message>
        <source>The clinic&apos;s reference range file %1 is not valid (%2). The shipped ranges are used.</source>
        <translation>El archivo de rangos de referencia de la clínica %1 no es válido (%2). Se usan los rangos incluidos.</translation>
    </message>
</context>
<context>
    <name>TStageEvent</name>
    <message>
        <source>%1 %2 min.</source>
        <translation>%1 %2 min.</translation>
    </message>
</context>
<context>
    <name>TStageTable</name>
    <message>
        <source>Basal</source>
        <translation>Basal</translation>
    </message>
    <message>
        <source>Control</source>
        <translation>Control</translation>
    </message>
    <message>
        <source>Rest</source>
        <translation>Reposo</translation>
    </message>
    <message>
        <source>Exercise</source>
        <translation>Ejercicio</translation>
    </message>
    <message>
        <source>Recovery</source>
        <translation>Recuperación</translation>
    </message>
    <message>
        <source>Stage</source>
        <translation>Etapa</translation>
    </message>
    <message>
        <source>Duration</source>
        <translation>Duración</translation>
    </message>
    <message>
        <source>Speed</source>
        <translation>Velocidad</translation>
    </message>
    <message>
        <source>Incline</source>
        <translation>Pendiente</translation>
    </message>
    <message>
        <source>Workload</source>
        <translation>Carga</translation>
    </message>
    <message>
        <source>Dose</source>
        <translation>Dosis</translation>
    </message>
    <message>
        <source>SBP/DBP</source>
        <translation>PAS/PAD</translation>
    </message>
    <message>
        <source>HR</source>
        <translation>FC</translation>
    </message>
</context>
<context>
    <name>TStressMonitorTexts</name>
    <message>
        <source>Dose %1</source>
        <translation>Dosis %1</translation>
    </message>
    <message>
        <source>stage</source>
        <translation>etapa</translation>
    </message>
    <message>
        <source>%1% max %2&lt;br/&gt;%3% sub %4</source>
        <translation>%1% máx. %2&lt;br/&gt;%3% submáx. %4</translation>
    </message>
    <message>
        <source>---% max %1&lt;br/&gt;---% sub %2</source>
        <translation>---% máx. %1&lt;br/&gt;---% submáx. %2</translation>
    </message>
</context>
<context>
    <name>TStudyArchive</name>
    <message>
        <source>Write error</source>
        <translation>Error de escritura</translation>
    </message>
</context>
<context>
    <name>TStudyArchiveImport</name>
    <message>
        <source>File is not a valid Cardivex study Zip archive</source>
        <translation>El archivo no es un archivo Zip de estudio Cardivex válido</translation>
    </message>
</context>
<context>
    <name>TStudyCopyBatch</name>
    <message>
        <source>Not every study was copied.</source>
        <translation>No se copiaron todos los estudios.</translation>
    </message>
    <message>
        <source>Copied:</source>
        <translation>Copiados:</translation>
    </message>
    <message>
        <source>  none</source>
        <translation>  ninguno</translation>
    </message>
    <message>
        <source>Not copied:</source>
        <translation>No copiados:</translation>
    </message>
</context>
<context>
    <name>TStudyDeletion</name>
    <message>
        <source>These studies are open for review and were not deleted:</source>
        <translation>Estos estudios están abiertos para revisión y no se eliminaron:</translation>
    </message>
    <message>
        <source>These could not be deleted:</source>
        <translation>Estos no se pudieron eliminar:</translation>
    </message>
    <message>
        <source>the study is still in the study list</source>
        <translation>el estudio sigue en la lista de estudios</translation>
    </message>
</context>
<context>
    <name>TStudyRecorder</name>
    <message>
        <source>Communication with ergometer/treadmill device failed.</source>
        <translation>Falló la comunicación con el ergómetro o la cinta rodante.</translation>
    </message>
    <message>
        <source>Communication with ECG acquiring device failed.</source>
        <translation>Falló la comunicación con el electrocardiógrafo.</translation>
    </message>
    <message>
        <source>The recording cannot be stored: %1</source>
        <translation>No se puede guardar el registro: %1</translation>
    </message>
    <message>
        <source>The beats cannot be stored: %1</source>
        <translation>No se pueden guardar los latidos: %1</translation>
    </message>
</context>
<context>
    <name>TStudyRowTexts</name>
    <message>
        <source>Patient</source>
        <translation>Paciente</translation>
    </message>
    <message>
        <source>Study type</source>
        <translation>Tipo de estudio</translation>
    </message>
    <message>
        <source>Date</source>
        <translation>Fecha</translation>
    </message>
    <message>
        <source>Report</source>
        <translation>Informe</translation>
    </message>
    <message>
        <source>File</source>
        <translation>Archivo</translation>
    </message>
    <message>
        <source>Stress test</source>
        <translation>Prueba de esfuerzo</translation>
    </message>
    <message>
        <source>ECG</source>
        <translation>ECG</translation>
    </message>
    <message>
        <source>Yes</source>
        <translation>Sí</translation>
    </message>
    <message>
        <source>Damaged archive</source>
        <translation>Archivo dañado</translation>
    </message>
</context>
<context>
    <name>TTreadmillIndices</name>
    <message>
        <source>V150 %1, V200 %2; recovery HR at 1 min %3, at 5 min %4</source>
        <translation>V150 %1, V200 %2; FC de recuperación al 1 min %3, a los 5 min %4</translation>
    </message>
</context>
<context>
    <name>animal</name>
    <message>
        <source>Male</source>
        <translation>Macho</translation>
    </message>
    <message>
        <source>Female</source>
        <translation>Hembra</translation>
    </message>
</context>
<context>
    <name>velmora-cli</name>
    <message>
        <source>no study with id %1</source>
        <translation>no hay ningún estudio con id %1</translation>
    </message>
    <message>
        <source>Please select another print destination for stress report.</source>
        <translation>Seleccione otro destino de impresión para el informe de esfuerzo.</translation>
    </message>
    <message>
        <source>The start time must lie within the recording (0 to %1 seconds).</source>
        <translation>El tiempo inicial debe estar dentro del registro (de 0 a %1 segundos).</translation>
    </message>
    <message>
        <source>Printing... %1%</source>
        <translation>Imprimiendo... %1%</translation>
    </message>
    <message>
        <source>no protocol named %1 (the stored ones: %2)</source>
        <translation>no hay ningún protocolo llamado %1 (los guardados: %2)</translation>
    </message>
    <message>
        <source>the protocol %1 has no stages</source>
        <translation>el protocolo %1 no tiene etapas</translation>
    </message>
    <message>
        <source>recording ended after %1 s: %2</source>
        <translation>el registro terminó a los %1 s: %2</translation>
    </message>
    <message>
        <source>%1 is not a folder</source>
        <translation>%1 no es una carpeta</translation>
    </message>
    <message>
        <source>%1 is not a file</source>
        <translation>%1 no es un archivo</translation>
    </message>
    <message>
        <source>%1 is a folder: name the EDF+ file</source>
        <translation>%1 es una carpeta: indique el nombre del archivo EDF+</translation>
    </message>
</context>
</TS>
