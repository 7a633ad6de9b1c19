
float
oat[l
oat