[playlist]
file1=a
title1=b
Length1=-1
file=c
