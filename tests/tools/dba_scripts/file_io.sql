select df.name file_name, fs.phyrds, fs.phywrts, fs.readtim, fs.writetim
from v$filestat fs, v$datafile df where fs.file# = df.file# order by fs.phyrds desc;
