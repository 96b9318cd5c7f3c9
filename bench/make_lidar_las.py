"""Writes a LiDAR-like LAS file of COUNT points in point format 1 or 6: zigzag
scan lines along a flight strip over rolling ground, one to three returns a
pulse, ground, vegetation and buildings. usage: make_lidar_las.py FORMAT COUNT OUT.las"""
import numpy as np, struct, sys
fmt=int(sys.argv[1]); n=int(sys.argv[2]); out=sys.argv[3]
rng=np.random.default_rng(7)
# a flight line of scan lines: 250 points a line, zigzag across 300 m, lines 0.6 m apart
per=250; lines=n//per+1
i=np.arange(n); line=i//per; k=i%per; k=np.where(line%2==0,k,per-1-k)
x=500000+line*0.6+rng.normal(0,0.05,n); y=6200000+k*1.2+rng.normal(0,0.05,n)
ground=120+8*np.sin(x/70.0)+5*np.cos(y/55.0)+0.02*(x-500000)
nret=rng.choice([1,1,1,2,3],n); ret=np.minimum(rng.integers(1,4,n),nret)
cls=np.where(ret==nret, rng.choice([2,2,2,1,5],n), rng.choice([5,4,3],n))
z=ground+np.where(cls==2,0,rng.uniform(0.5,18,n))
X=np.round((x-500000)/0.01).astype('<i4'); Y=np.round((y-6200000)/0.01).astype('<i4'); Z=np.round(z/0.01).astype('<i4')
inten=(rng.gamma(4,200,n)).clip(0,65535).astype('<u2')
t=3e5+i*2e-5
src=np.full(n,7,'<u2')
if fmt==1:
    rec=np.zeros(n,dtype=[('X','<i4'),('Y','<i4'),('Z','<i4'),('I','<u2'),('R','u1'),('C','u1'),('A','i1'),('U','u1'),('P','<u2'),('T','<f8')])
    rec['R']=(ret|(nret<<3)|((line%2)<<6)).astype('u1'); rec['C']=cls; rec['A']=((k-per/2)/per*40).astype('i1')
    hs=227; ver=2; pl=28
else:
    rec=np.zeros(n,dtype=[('X','<i4'),('Y','<i4'),('Z','<i4'),('I','<u2'),('R','u1'),('F','u1'),('C','u1'),('U','u1'),('A','<i2'),('P','<u2'),('T','<f8')])
    rec['R']=(ret|(nret<<4)).astype('u1'); rec['F']=((line%2)<<6).astype('u1'); rec['C']=cls; rec['A']=((k-per/2)/per*6000).astype('<i2')
    hs=375; ver=4; pl=30
rec['X']=X;rec['Y']=Y;rec['Z']=Z;rec['I']=inten;rec['P']=src;rec['T']=t
h=bytearray(hs); h[0:4]=b'LASF'; h[24]=1; h[25]=ver
struct.pack_into('<H',h,94,hs); struct.pack_into('<I',h,96,hs); struct.pack_into('<I',h,100,0); h[104]=fmt; struct.pack_into('<H',h,105,pl)
struct.pack_into('<I',h,107,n if fmt<6 else 0)
struct.pack_into('<3d',h,131,0.01,0.01,0.01); struct.pack_into('<3d',h,155,500000.0,6200000.0,0.0)
struct.pack_into('<6d',h,179,x.max(),x.min(),y.max(),y.min(),z.max(),z.min())
if ver==4: struct.pack_into('<Q',h,247,n)
open(out,'wb').write(bytes(h)+rec.tobytes())
