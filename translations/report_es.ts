<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="es" sourcelanguage="en">
<context>
    <name>ESCPPrinter</name>
    <message>
        <source>The printer stopped responding (please check it has paper and is turned on)</source>
        <translation>La impresora dejó de responder (compruebe que tiene papel y está encendida)</translation>
    </message>
    <message>
        <source>The connection to the printer was lost (please check it is turned on and within range)</source>
        <translation>Se perdió la conexión con la impresora (compruebe que está encendida y al alcance)</translation>
    </message>
    <message>
        <source>Printing was cancelled.</source>
        <translation>Se canceló la impresión.</translation>
    </message>
</context>
<context>
    <name>ReportTemplate</name>
    <message>
        <source>[timeScale] - [ampScale] - Filters: [ecgFilters]</source>
        <translation>[timeScale] - [ampScale] - Filtros: [ecgFilters]</translation>
    </message>
    <message>
        <source>Page [#page] of [#pages]</source>
        <translation>Página [#page] de [#pages]</translation>
    </message>
    <message>
        <source>Event [eventTime] - [eventDescription]</source>
        <translation>Evento [eventTime] - [eventDescription]</translation>
    </message>
    <message>
        <source>Patient</source>
        <translation>Paciente</translation>
    </message>
    <message>
        <source>Patient ID</source>
        <translation>ID del paciente</translation>
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
        <source>Sex</source>
        <translation>Sexo</translation>
    </message>
    <message>
        <source>Age</source>
        <translation>Edad</translation>
    </message>
    <message>
        <source>Weight (kg)</source>
        <translation>Peso (kg)</translation>
    </message>
    <message>
        <source>Height (cm)</source>
        <translation>Altura (cm)</translation>
    </message>
    <message>
        <source>Date</source>
        <translation>Fecha</translation>
    </message>
    <message>
        <source>Technician</source>
        <translation>Técnico</translation>
    </message>
    <message>
        <source>Lead</source>
        <translation>Derivación</translation>
    </message>
    <message>
        <source>HR (bpm)</source>
        <translation>FC (lpm)</translation>
    </message>
    <message>
        <source>RR (ms)</source>
        <translation>RR (ms)</translation>
    </message>
    <message>
        <source>PR (ms)</source>
        <translation>PR (ms)</translation>
    </message>
    <message>
        <source>P (ms)</source>
        <translation>P (ms)</translation>
    </message>
    <message>
        <source>QRS (ms)</source>
        <translation>QRS (ms)</translation>
    </message>
    <message>
        <source>QT (ms)</source>
        <translation>QT (ms)</translation>
    </message>
    <message>
        <source>QTc (ms)</source>
        <translation>QTc (ms)</translation>
    </message>
    <message>
        <source>T (ms)</source>
        <translation>T (ms)</translation>
    </message>
    <message>
        <source>Tp-e (ms)</source>
        <translation>Tp-e (ms)</translation>
    </message>
    <message>
        <source>QRS axis (°)</source>
        <translation>Eje QRS (°)</translation>
    </message>
    <message>
        <source>P (mV)</source>
        <translation>P (mV)</translation>
    </message>
    <message>
        <source>QRS (mV)</source>
        <translation>QRS (mV)</translation>
    </message>
    <message>
        <source>R (mV)</source>
        <translation>R (mV)</translation>
    </message>
    <message>
        <source>T (mV)</source>
        <translation>T (mV)</translation>
    </message>
    <message>
        <source>Conclusion</source>
        <translation>Conclusión</translation>
    </message>
    <message>
        <source>Stress test - [demo/protocolName]</source>
        <translation>Prueba de esfuerzo - [demo/protocolName]</translation>
    </message>
    <message>
        <source>Stress test</source>
        <translation>Prueba de esfuerzo</translation>
    </message>
    <message>
        <source>Protocol</source>
        <translation>Protocolo</translation>
    </message>
    <message>
        <source>BMI</source>
        <translation>IMC</translation>
    </message>
    <message>
        <source>Training zone max (bpm)</source>
        <translation>Zona entren. máx. (lpm)</translation>
    </message>
    <message>
        <source>Training zone sub-max (bpm)</source>
        <translation>Zona entren. submáx. (lpm)</translation>
    </message>
    <message>
        <source>Doctor</source>
        <translation>Veterinario</translation>
    </message>
    <message>
        <source>Referring doctor</source>
        <translation>Veterinario remitente</translation>
    </message>
    <message>
        <source>Indication</source>
        <translation>Indicación</translation>
    </message>
    <message>
        <source>Treatment</source>
        <translation>Tratamiento</translation>
    </message>
    <message>
        <source>Comments</source>
        <translation>Comentarios</translation>
    </message>
    <message>
        <source>Risk factors</source>
        <translation>Factores de riesgo</translation>
    </message>
    <message>
        <source>Stages</source>
        <translation>Etapas</translation>
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
        <source>METS</source>
        <translation>METS</translation>
    </message>
    <message>
        <source>HR</source>
        <translation>FC</translation>
    </message>
    <message>
        <source>SBP/DBP</source>
        <translation>PAS/PAD</translation>
    </message>
    <message>
        <source>DP</source>
        <translation>DP</translation>
    </message>
    <message>
        <source>ST [[STLeadName]]</source>
        <translation>ST [[STLeadName]]</translation>
    </message>
    <message>
        <source>ST slope</source>
        <translation>Pendiente ST</translation>
    </message>
    <message>
        <source>Results</source>
        <translation>Resultados</translation>
    </message>
    <message>
        <source>Max HR (bpm)</source>
        <translation>FC máx. (lpm)</translation>
    </message>
    <message>
        <source>% of max zone</source>
        <translation>% zona máx.</translation>
    </message>
    <message>
        <source>% of sub-max zone</source>
        <translation>% zona submáx.</translation>
    </message>
    <message>
        <source>Max SBP/DBP (mmHg)</source>
        <translation>PAS/PAD máx. (mmHg)</translation>
    </message>
    <message>
        <source>Max DP</source>
        <translation>DP máx.</translation>
    </message>
    <message>
        <source>Max METS</source>
        <translation>METS máx.</translation>
    </message>
    <message>
        <source>VO2 max (ml/kg/min)</source>
        <translation>VO2 máx. (ml/kg/min)</translation>
    </message>
    <message>
        <source>V150 (HR 150/min)</source>
        <translation>V150 (FC 150/min)</translation>
    </message>
    <message>
        <source>V200 (HR 200/min)</source>
        <translation>V200 (FC 200/min)</translation>
    </message>
    <message>
        <source>HR at end of exercise</source>
        <translation>FC al final del ejercicio</translation>
    </message>
    <message>
        <source>HR 1 min after (fall)</source>
        <translation>FC al 1 min (descenso)</translation>
    </message>
    <message>
        <source>HR 5 min after (fall)</source>
        <translation>FC a los 5 min (descenso)</translation>
    </message>
    <message>
        <source>Stress echocardiography</source>
        <translation>Ecocardiografía de estrés</translation>
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
        <source>Trends</source>
        <translation>Tendencias</translation>
    </message>
    <message>
        <source>Tilt test - [timeScale] - [ampScale] - Filters: [ecgFilters]</source>
        <translation>Prueba de basculación - [timeScale] - [ampScale] - Filtros: [ecgFilters]</translation>
    </message>
    <message>
        <source>Tilt test</source>
        <translation>Prueba de basculación</translation>
    </message>
    <message>
        <source>Group</source>
        <translation>Grupo</translation>
    </message>
    <message>
        <source>Elapsed in phase</source>
        <translation>Transcurrido en la fase</translation>
    </message>
    <message>
        <source>Events</source>
        <translation>Eventos</translation>
    </message>
</context>
<context>
    <name>TECGStripReport</name>
    <message>
        <source>Cannot connect to printer (please check it is turned on)</source>
        <translation>No se puede conectar con la impresora (compruebe que está encendida)</translation>
    </message>
    <message>
        <source>%1 mm/sec - %2 mm/mV</source>
        <translation>%1 mm/s - %2 mm/mV</translation>
    </message>
    <message>
        <source>%1 - Filters: %2</source>
        <translation>%1 - Filtros: %2</translation>
    </message>
    <message>
        <source>Name:</source>
        <translation>Nombre:</translation>
    </message>
    <message>
        <source>Age:</source>
        <translation>Edad:</translation>
    </message>
    <message>
        <source>Date:</source>
        <translation>Fecha:</translation>
    </message>
    <message>
        <source>HR:</source>
        <translation>FC:</translation>
    </message>
    <message>
        <source>%1 bpm</source>
        <translation>%1 lpm</translation>
    </message>
    <message>
        <source>Conclusion:</source>
        <translation>Conclusión:</translation>
    </message>
</context>
<context>
    <name>TErgoReport</name>
    <message>
        <source>. H: above the range, L: below it.</source>
        <translation>. H: por encima del rango, L: por debajo.</translation>
    </message>
    <message>
        <source>ID / #H.C.</source>
        <translation>ID / N.º H.C.</translation>
    </message>
    <message>
        <source>Doc.</source>
        <translation>Doc.</translation>
    </message>
    <message>
        <source>%1 - %2 - HR: %3 - BP: %4/%5</source>
        <translation>%1 - %2 - FC: %3 - PA: %4/%5</translation>
    </message>
</context>
<context>
    <name>TMeasurementNorms</name>
    <message>
        <source>QTc (%1)</source>
        <translation>QTc (%1)</translation>
    </message>
    <message>
        <source>QRS axis</source>
        <translation>Eje QRS</translation>
    </message>
    <message>
        <source>P amplitude</source>
        <translation>Amplitud de P</translation>
    </message>
    <message>
        <source>QRS amplitude</source>
        <translation>Amplitud del QRS</translation>
    </message>
    <message>
        <source>R amplitude</source>
        <translation>Amplitud de R</translation>
    </message>
    <message>
        <source>T amplitude</source>
        <translation>Amplitud de T</translation>
    </message>
    <message>
        <source>No reference ranges: no species given</source>
        <translation>Sin rangos de referencia: no se indicó la especie</translation>
    </message>
    <message>
        <source>No reference ranges for the species &quot;%1&quot;</source>
        <translation>Sin rangos de referencia para la especie «%1»</translation>
    </message>
    <message>
        <source>Ranges for %1 (lead %2 at rest)</source>
        <translation>Rangos para %1 (derivación %2 en reposo)</translation>
    </message>
    <message>
        <source>; measured in lead %1</source>
        <translation>; medido en la derivación %1</translation>
    </message>
    <message>
        <source>HR</source>
        <translation>FC</translation>
    </message>
</context>
<context>
    <name>TReportCreator</name>
    <message>
        <source>Report file could not be exported to folder: %1
Please check shared folder access with your network administrator.</source>
        <translation>No se pudo exportar el archivo del informe a la carpeta: %1
Consulte el acceso a la carpeta compartida con su administrador de red.</translation>
    </message>
</context>
<context>
    <name>TReportOptions</name>
    <message>
        <source>notch 50hz</source>
        <translation>notch 50 Hz</translation>
    </message>
    <message>
        <source>muscle noise</source>
        <translation>ruido muscular</translation>
    </message>
    <message>
        <source>baseline fix</source>
        <translation>corrección de línea de base</translation>
    </message>
    <message>
        <source>none</source>
        <translation>ninguno</translation>
    </message>
</context>
<context>
    <name>TReportPlot</name>
    <message>
        <source>No readings</source>
        <translation>Sin lecturas</translation>
    </message>
</context>
<context>
    <name>TReportStages</name>
    <message>
        <source>%1 min.</source>
        <translation>%1 min.</translation>
    </message>
    <message>
        <source>Speed / Incline</source>
        <translation>Velocidad / Pendiente</translation>
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
        <source>Dose %1</source>
        <translation>Dosis %1</translation>
    </message>
</context>
<context>
    <name>TStressPlots</name>
    <message>
        <source>HR %1 bpm</source>
        <translation>FC %1 lpm</translation>
    </message>
    <message>
        <source>BP mmHg</source>
        <translation>PA mmHg</translation>
    </message>
    <message>
        <source>DP bpm x mmHg</source>
        <translation>DP lpm x mmHg</translation>
    </message>
    <message>
        <source>ST [%1] mm</source>
        <translation>ST [%1] mm</translation>
    </message>
    <message>
        <source>HR bpm, BP mmHg</source>
        <translation>FC lpm, PA mmHg</translation>
    </message>
    <message>
        <source>HR</source>
        <translation>FC</translation>
    </message>
    <message>
        <source>SBP</source>
        <translation>PAS</translation>
    </message>
    <message>
        <source>DBP</source>
        <translation>PAD</translation>
    </message>
    <message>
        <source>DP</source>
        <translation>DP</translation>
    </message>
    <message>
        <source>ST</source>
        <translation>ST</translation>
    </message>
    <message>
        <source>METS</source>
        <translation>METS</translation>
    </message>
</context>
<context>
    <name>TStripPrintJob</name>
    <message>
        <source>The portable printer is busy with another strip. Please wait until it has printed.</source>
        <translation>La impresora portátil está ocupada con otra tira. Espere a que termine de imprimirla.</translation>
    </message>
    <message>
        <source>Unspecified application error</source>
        <translation>Error no especificado de la aplicación</translation>
    </message>
</context>
<context>
    <name>TStudyReport</name>
    <message>
        <source>Report file could not be generated at:

%1

Please check disk space, folder access and antivirus software.</source>
        <translation>No se pudo generar el archivo del informe en:

%1

Compruebe el espacio en disco, el acceso a la carpeta y el antivirus.</translation>
    </message>
</context>
</TS>
